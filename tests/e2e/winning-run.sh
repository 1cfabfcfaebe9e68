# The winning run on levels/win.txt (sourced after lib.sh). Each leg holds
# one arrow until the player stands where the map stops it:
#
#   leg  key    stop        on the way
#   1    Left   (-2, 510)   to the left edge of the bottom floor
#   2    Up     (-2, 410)   up the ladder in column 0 to the floor of row 8
#   3    Right  (84, 410)   key (40, 420); stopped by the two-column ladder
#   4    Up     (84, 210)   up that ladder to the floor of row 4
#   5    Left   (-2, 210)   key (40, 220)
#   6    Up     (-2, 60)    up the ladder in column 0 to the top floor
#   7    Right  (732, 510)  key (90, 70), off the top floor at column 8, a
#                           fall to the bottom floor, key (700, 520); stopped
#                           by the ladder under the chest
#   8    Up     the win     key (750, 420) opens the chest; the climb ends
#                           under it
#
# Traps rise through x 150 to 410 between y 230 and 329 and through x 160 to
# 190 between y 430 and 529: the path passes them only above y 200, left of
# x 126, or right of x 410.

WIN_LEGS="Left:-2:510 Up:-2:410 Right:84:410 Up:84:210 Left:-2:210 Up:-2:60 Right:732:510"
# Between the end screen's second text and the run's time, and below that.
END_PICTURE_CLEAR="800x125+0+395 800x30+0+570"

# The end screen: the end picture with its two white lines and the run's time.
shows_end() {
    next_shot
    local picture=$DATA/$VAULTRUN_END_SCREEN_PICTURE band region
    for region in $END_PICTURE_CLEAR; do
        same_region "$SHOT" "$picture" "$region" || return 1
    done
    for band in 600x40+115+250 600x40+115+350 600x40+115+525; do
        [ "$(count "$SHOT" "$band" "$WHITE")" -gt $(($(count "$picture" "$band" "$WHITE") + 40)) ] ||
            return 1
    done
}

# win_run FOLDER: from the title screen of a game started in FOLDER, plays the
# run until WIN_DONE (a check, shows_end unless set) holds. Sets RUN_SECONDS
# to the run's length on our clock, rounded up.
win_run() {
    local folder=$1 leg key x y started
    key_tap space
    poll 20 shows_run || { check_failed "a key press did not start a run"; return 1; }
    started=$(now_ms)
    poll 5 player_at 100 510 || { check_failed "the player is not at its start"; return 1; }
    for leg in $WIN_LEGS; do
        IFS=: read -r key x y <<<"$leg"
        hold "$key" "$x" "$y" || return 1
    done
    key_down Up
    if ! poll 30 "${WIN_DONE:-shows_end}"; then
        key_up Up
        check_failed "climbing under the chest did not win; the player is at ($(player_position "$SHOT"))"
        return 1
    fi
    key_up Up
    RUN_SECONDS=$((($(now_ms) - started + 999) / 1000))
    note "  held Up: the chest was reached and the end screen shown"
}

# The winning run on levels/win.txt (sourced after lib.sh). Each leg holds one
# arrow until the map stops the player (a wall, a ladder's end, a landing), so
# how long a key is held past that point cannot change the run:
#   Left to the bottom floor's left edge; Up the ladder in column 0; Right past
#   the key at (40, 420) to the two-column ladder; Up it; Left past the key at
#   (40, 220); Up to the top floor; Right past the key at (90, 70), off the top
#   floor at column 8, down to the bottom floor past the key at (700, 520), to
#   the ladder under the chest; then Up: the last key (750, 420) opens the chest.
# Traps rise through x 150 to 410 between y 230 and 329 and through x 160 to
# 190 between y 430 and 529: the path passes them only above y 200, left of
# x 126, or right of x 410.
WIN_LEGS="Left:-2:510 Up:-2:410 Right:84:410 Up:84:210 Left:-2:210 Up:-2:60 Right:732:510"

# The end screen: the end picture clear between its second text and the run's
# time and below that, its two white lines and the run's time.
shows_end() {
    local picture=$DATA/$VAULTRUN_END_SCREEN_PICTURE
    next_shot
    same_region "$SHOT" "$picture" 800x125+0+395 && same_region "$SHOT" "$picture" 800x30+0+570 &&
        more_than_picture "$picture" "$WHITE" 600x40+115+250 600x40+115+350 600x40+115+525
}

# win_run: from the title screen, plays the run until WIN_DONE (a check,
# shows_end unless set) holds. Sets RUN_SECONDS to the run's length on our
# clock, rounded up.
win_run() {
    local leg key x y started
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
    echo "  held Up: the chest was reached and the end screen shown"
}

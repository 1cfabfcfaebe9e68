#!/bin/bash
# The game in a real window, driven by real key events, checked on screenshots,
# on a test level: the title with its three texts, any key starts a run, held
# arrows climb and descend the ladder, a trap hit and the ghost's drift home;
# closing the window ends the game with status 0 and the console lines in order.
# (The shipped level is played by the other scripts.)
# usage: play.sh GAME DATA_FOLDER
GAME=$(realpath "$1") DATA=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
x_start

# map_dump LEVEL_FILE: the console lines that print this level's codes.
map_dump() {
    sed -e 's/./& /g' -e 's/a /0 /g; s/d /3 /g; s/e /4 /g; s/h /7 /g; s/v /21 /g; s/w /22 /g' "$1"
}

# first_at TEXT: the byte offset of the text's first appearance in the output, or -1.
first_at() {
    local at
    at=$(grep -boaF -- "$1" "$GAME_OUT" | head -n 1 | cut -d: -f1)
    echo "${at:--1}"
}

# check_console LEVEL_FILE BEST: the console lines of a run without a win, in
# order: the font, the best time, the title's texts, the level's map, one line
# per deleted object and the font freed at the very end.
check_console() {
    local font=$VAULTRUN_FONT_SIZE" point $VAULTRUN_FONT_FILE" deletes
    local order=("Loading font: $font" "*******************SCORE = $2 ***********" "STRINGGS!"
        "$(map_dump "$1" | head -n 1)") previous=-1 line
    [ "$(first_at "${order[0]}")" = 0 ] || check_failed "the output does not begin with the font line"
    for line in "${order[@]}"; do
        [ "$(first_at "$line")" -gt "$previous" ] || check_failed "no '$line' after the line before it"
        previous=$(first_at "$line")
    done
    grep -qzF -- "$(map_dump "$1")" "$GAME_OUT" || check_failed "the map dump is not the level's"
    [ "$(grep -oaF 'DELETING OBJECT!' "$GAME_OUT" | wc -l)" = 16 ] || check_failed "not sixteen DELETING OBJECT! lines"
    deletes=$(printf 'DELETING OBJECT!%.0s' $(seq 16))"Free font: $font"
    [ "$(tail -c $((${#deletes} + 1)) "$GAME_OUT")" = "$deletes" ] ||
        check_failed "the output does not end with the objects deleted and the font freed"
}

echo "case: title, start, ladder, trap and ghost on a test level, close"
folder=$E2E_TMP/trap
make_folder "$folder" trap
printf 77 >"$folder/Score.txt"
game_start "$folder" || die "the game did not open its window"
poll 20 title_shown || check_failed "no title screen with its three texts"
key_tap x  # any key
poll 20 shows_run || check_failed "a key press did not start a run"
[ "$(count "$SHOT" 1x1+5+40 "$SKY")" = 1 ] || check_failed "the map does not begin at y 40"
[ "$(count "$SHOT" 800x1+0+40 "$BLACK")" = 0 ] || check_failed "black at y 40: the band reaches into the map"
[ "$(count "$SHOT" 800x40+0+0 "$WHITE")" -gt 300 ] || check_failed "no heads-up texts"
poll 5 player_at 100 510 || check_failed "the player is not at its start (100, 510)"
# A two-column ladder rises from the start to the trap corridor.
hold Up 100 210
hold Down 100 510
hold Up 100 210

# A block stops the walk right under the first trap, which rises into the
# player within one of its cycles; the ghost then drifts home alone, only left
# and down. Right stays held: at home the ladder's foot stops it, so the player
# can come back to the start only as a ghost.
key_down Right
ghost_path="" previous_x=138 previous_y=210
deadline=$(($(now_ms) + 30000))
while [ "$(now_ms)" -lt "$deadline" ]; do
    next_shot
    if read -r w h x y < <(bbox "$SHOT" "$GHOST_BLUE"); then
        x=$((x - 1))
        ghost_path="$ghost_path ($x,$y)"
        if [ "$x" -gt "$previous_x" ] || [ "$y" -lt "$previous_y" ] || [ "$x" -lt 100 ] || [ "$y" -gt 510 ]; then
            check_failed "the ghost left its way home at ($x, $y)"
        fi
        previous_x=$x previous_y=$y
    elif [ "$(player_position "$SHOT")" = "100 510" ]; then
        break
    fi
    sleep 0.02
done
key_up Right
[ -n "$ghost_path" ] || check_failed "the trap never turned the player into a ghost"
echo "  ghost seen at$ghost_path"
poll 5 player_at 100 510 || check_failed "the player did not come home to (100, 510) after the ghost's drift"
sleep 0.5
player_at 100 510 || check_failed "the player did not stay home"

close_cleanly
check_console "$folder/level1.txt" 77
[ "$(cat "$folder/Score.txt")" = 77 ] || check_failed "the best time changed without a win"
e2e_done play

#!/bin/bash
# The game in a real window under a virtual X server, driven by real key
# events and checked on screenshots of its window:
#  - the shipped level: the title screen with its three texts, any key starts
#    a run (heads-up band over the map), a held arrow walks the player, closing
#    the window ends the game with status 0 and the console lines in order;
#  - a level made for this test: the ladder climbed and descended with held
#    arrows, a trap hit and the ghost's drift home.
# usage: play.sh GAME DATA_FOLDER
GAME=$(realpath "$1")
DATA=$(realpath "$2")
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
x_start

FONT_LINE="Loading font: $VAULTRUN_FONT_SIZE point $VAULTRUN_FONT_FILE"
FREE_LINE="Free font: $VAULTRUN_FONT_SIZE point $VAULTRUN_FONT_FILE"
DELETES_16=$(printf 'DELETING OBJECT!%.0s' $(seq 16))

# title_shown: the title picture with the red first line and the two white ones.
title_shown() {
    next_shot
    local title=$DATA/$VAULTRUN_TITLE_SCREEN_PICTURE band
    # Below the second line and above the third the picture is untouched.
    same_region "$SHOT" "$title" 800x280+0+285 || return 1
    for band in "400x40+115+130 $TITLE_RED" "500x40+115+250 $WHITE" "685x30+115+570 $WHITE"; do
        set -- $band
        [ "$(count "$SHOT" "$1" "$2")" -gt $(($(count "$title" "$1" "$2") + 40)) ] || return 1
    done
}

# map_dump LEVEL_FILE: the console lines that print this level's codes.
map_dump() {
    sed -e 's/./& /g' -e 's/a /0 /g; s/d /3 /g; s/e /4 /g; s/h /7 /g; s/v /21 /g; s/w /22 /g' "$1"
}

# first_at FILE TEXT: the byte offset of the text's first appearance, or -1.
first_at() {
    local at
    at=$(grep -boaF -- "$2" "$1" | head -n 1 | cut -d: -f1)
    echo "${at:--1}"
}

# The console lines of one run without a win, in the order they are written:
# the font, the best time, the title's texts, the level's map, one line per
# deleted object and the font freed at the very end.
check_console() {
    local out=$1 level=$2 best=$3
    local font score title map
    font=$(first_at "$out" "$FONT_LINE")
    score=$(first_at "$out" "*******************SCORE = $best ***********")
    title=$(first_at "$out" "STRINGGS!")
    map=$(first_at "$out" "$(map_dump "$level" | head -n 1)")
    [ "$font" = 0 ] || check_failed "the output does not begin with the font line"
    [ "$score" -gt "$font" ] || check_failed "no best time line ($best) after the font line"
    [ "$title" -gt "$score" ] || check_failed "no STRINGGS! after the best time line"
    [ "$map" -gt "$title" ] || check_failed "no map dump after STRINGGS!"
    grep -qzF -- "$(map_dump "$level")" "$out" || check_failed "the map dump is not the level's"
    [ "$(grep -oaF 'DELETING OBJECT!' "$out" | wc -l)" = 16 ] ||
        check_failed "not sixteen DELETING OBJECT! lines"
    [ "$(tail -c $((${#DELETES_16} + ${#FREE_LINE} + 1)) "$out")" = "$DELETES_16$FREE_LINE" ] ||
        check_failed "the output does not end with the objects deleted and the font freed"
}

# ---------------------------------------------------------------- shipped level

echo "case: title screen, start, walk and close on the shipped level"
folder=$E2E_TMP/shipped
make_folder "$folder"
game_start "$folder" || die "the game did not open its window"
[ "$(xdotool getwindowname "$WID")" = Vaultrun ] || check_failed "window title: $(xdotool getwindowname "$WID")"
eval "$(xdotool getwindowgeometry --shell "$WID")"
[ "$WIDTH x $HEIGHT" = "$VAULTRUN_WINDOW_WIDTH x $VAULTRUN_WINDOW_HEIGHT" ] ||
    check_failed "window size $WIDTH x $HEIGHT"

poll 20 title_shown || check_failed "no title screen with its three texts"

key_tap x  # any key
poll 20 shows_run || check_failed "a key press did not start a run"
[ "$(hex "$SHOT" 5 40)" = "$SKY" ] || check_failed "the map does not begin at y 40"
[ "$(count "$SHOT" 800x1+0+40 "$BLACK")" = 0 ] || check_failed "black at y 40: the band reaches into the map"
[ "$(count "$SHOT" 800x40+0+0 "$WHITE")" -gt 300 ] || check_failed "no heads-up texts"
poll 5 player_at 100 510 || check_failed "the player is not at its start (100, 510)"

hold Left -2 510

game_close
[ "$GAME_STATUS" = 0 ] || check_failed "closing the window ended the game with status $GAME_STATUS"
check_sanitizers_quiet
check_console "$GAME_OUT" "$folder/level1.txt" 0

# ---------------------------------------------------------------- trap

echo "case: ladder, trap and ghost on a test level"
folder=$E2E_TMP/trap
make_folder "$folder"
cp "$HERE/levels/trap.txt" "$folder/level1.txt"
printf 77 >"$folder/Score.txt"
game_start "$folder" || die "the game did not open its window"
poll 20 title_shown || check_failed "no title screen"
key_tap Return
poll 20 shows_run || check_failed "a key press did not start a run"
poll 5 player_at 100 510 || check_failed "the player is not at its start (100, 510)"

# A two-column ladder rises from the start to the trap corridor.
hold Up 100 210
hold Down 100 510
hold Up 100 210

# A block stops the walk right under the first trap, which rises into the
# player within one of its cycles; the ghost then drifts home alone. Right
# stays held: at home the ladder's foot stops it, so the player can come back
# to the start only as a ghost.
key_down Right
ghost_seen=""
ghost_path=""
deadline=$(($(now_ms) + 30000))
while [ "$(now_ms)" -lt "$deadline" ]; do
    next_shot
    if read -r w h x y < <(bbox "$SHOT" "$GHOST_BLUE"); then
        ghost_seen=yes
        ghost_path="$ghost_path ($((x - 1)),$y)"
    elif [ "$(player_position "$SHOT")" = "100 510" ]; then
        break
    fi
    sleep 0.02
done
key_up Right
[ -n "$ghost_seen" ] || check_failed "the trap never turned the player into a ghost"
note "  ghost seen at$ghost_path"
# The drift goes only left and down, from the trap to the start.
previous_x=138
previous_y=210
for point in $ghost_path; do
    point=${point#(}
    point=${point%)}
    x=${point%,*}
    y=${point#*,}
    if [ "$x" -gt "$previous_x" ] || [ "$y" -lt "$previous_y" ] || [ "$x" -lt 100 ] || [ "$y" -gt 510 ]; then
        check_failed "the ghost left its way home at ($x, $y)"
    fi
    previous_x=$x
    previous_y=$y
done
poll 5 player_at 100 510 || check_failed "the player did not come home to (100, 510) after the ghost's drift"
sleep 0.5
player_at 100 510 || check_failed "the player did not stay home"

game_close
[ "$GAME_STATUS" = 0 ] || check_failed "closing the window ended the game with status $GAME_STATUS"
check_sanitizers_quiet
check_console "$GAME_OUT" "$folder/level1.txt" 77
[ "$(cat "$folder/Score.txt")" = 77 ] || check_failed "the best time changed without a win"

[ "$FAILURES" = 0 ] || die "$FAILURES check(s) failed"
echo "play: ok"

#!/bin/bash
# A complete win through real key events in a real window: on a level made for
# this test every held arrow runs until the map stops the player (a wall, a
# ladder's end, a landing), so how long a key is held past that point cannot
# change the run, and the path keeps clear of every trap's reach. The run ends
# on the end screen and stores its time in Score.txt; the space bar then
# starts the next run. Closing the window ends the game with status 0.
# usage: win.sh GAME DATA_FOLDER
GAME=$(realpath "$1")
DATA=$(realpath "$2")
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
. "$HERE/winning-run.sh"
x_start

echo "case: a complete win on a test level"
folder=$E2E_TMP/win
make_folder "$folder"
cp "$HERE/levels/win.txt" "$folder/level1.txt"
rm -f "$folder/Score.txt"

game_start "$folder" || die "the game did not open its window"
win_run "$folder" || die "no win"
seconds=$(cat "$folder/Score.txt")
note "  won in $seconds s by the game's clock, $RUN_SECONDS s by ours"
[[ $seconds =~ ^[0-9]+$ ]] || check_failed "Score.txt holds '$seconds', not plain digits"
[ "${seconds:-0}" -ge 1 ] && [ "${seconds:-0}" -le $((RUN_SECONDS + 1)) ] ||
    check_failed "stored time $seconds s for a run of $RUN_SECONDS s"

key_tap Return  # only the space bar replays
sleep 0.3
shows_end || check_failed "a key other than space left the end screen"
key_tap space
poll 20 shows_run || check_failed "space did not start the next run"
poll 5 player_at 100 510 || check_failed "the next run does not start at (100, 510)"

game_close
[ "$GAME_STATUS" = 0 ] || check_failed "closing the window ended the game with status $GAME_STATUS"
check_sanitizers_quiet
# Re-read after the win, the stored time is the best shown from then on.
grep -qF "*******************SCORE = $seconds ***********" "$GAME_OUT" ||
    check_failed "the best time was not read back after the win"
[ "$(grep -oaF 'DELETING OBJECT!' "$GAME_OUT" | wc -l)" = 32 ] ||
    check_failed "not sixteen objects deleted at the win and sixteen at the end"

[ "$FAILURES" = 0 ] || die "$FAILURES check(s) failed"
echo "win: ok"

#!/bin/bash
# A complete win through real key events in a real window, on the test level
# of winning-run.sh: the run ends on the end screen and stores its time in
# Score.txt; only the space bar then starts the next run. Closing the window
# ends the game with status 0.
# usage: win.sh GAME DATA_FOLDER
GAME=$(realpath "$1") DATA=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
. "$HERE/winning-run.sh"
x_start

echo "case: a complete win on a test level"
folder=$E2E_TMP/win
make_folder "$folder" win
game_start "$folder" || die "the game did not open its window"
win_run || die "no win"
seconds=$(cat "$folder/Score.txt")
echo "  won in $seconds s by the game's clock, $RUN_SECONDS s by ours"
[[ $seconds =~ ^[0-9]+$ ]] && [ "$seconds" -ge 1 ] && [ "$seconds" -le $((RUN_SECONDS + 1)) ] ||
    check_failed "stored time '$seconds' for a run of $RUN_SECONDS s"

key_tap Return  # only the space bar replays
sleep 0.3
shows_end || check_failed "a key other than space left the end screen"
key_tap space
poll 20 shows_run || check_failed "space did not start the next run"
poll 5 player_at 100 510 || check_failed "the next run does not start at (100, 510)"

close_cleanly
# Re-read after the win, the stored time is the best shown from then on.
grep -qF "*******************SCORE = $seconds ***********" "$GAME_OUT" ||
    check_failed "the best time was not read back after the win"
[ "$(grep -oaF 'DELETING OBJECT!' "$GAME_OUT" | wc -l)" = 32 ] ||
    check_failed "not sixteen objects deleted at the win and sixteen at the end"
e2e_done win

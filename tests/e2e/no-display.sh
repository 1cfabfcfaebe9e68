#!/bin/bash
# Without any display the game cannot open its window: it says so on standard
# error and ends with status 1, at once, without a sanitizer report.
# usage: no-display.sh GAME DATA_FOLDER
GAME=$(realpath "$1") DATA=$(realpath "$2")
. "$(dirname "$0")/lib.sh"

echo "case: no display"
folder=$E2E_TMP/no-display
make_folder "$folder"
unset DISPLAY WAYLAND_DISPLAY
GAME_OUT=$E2E_TMP/stdout.txt GAME_ERR=$E2E_TMP/stderr.txt
mapfile -t environment < <(sanitizer_env)
status=0
(cd "$folder" && exec timeout 60 env "${environment[@]}" "$GAME") >"$GAME_OUT" 2>"$GAME_ERR" || status=$?
[ "$status" = 1 ] || check_failed "status $status without a display, not 1"
grep -q '^Unable to init SDL: ' "$GAME_ERR" || check_failed "no failure message on standard error: $(cat "$GAME_ERR")"
check_sanitizers_quiet
[ ! -e "$folder/Score.txt" ] || check_failed "a best time was written"
e2e_done "no display"

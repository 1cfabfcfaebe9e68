#!/bin/bash
# Pictures whose headers claim 30000 x 30000 pixels, under a memory limit far
# below what decoding them would take: the game refuses each with one line on
# standard error, shows its title and ends with status 0 when asked to quit.
# The dummy video driver keeps the process small; no X server is needed.
# usage: hostile-picture.sh GAME DATA_FOLDER
GAME=$(realpath "$1") DATA=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
MEMORY_LIMIT_KB=$((512 * 1024))

echo "case: every picture 30000 x 30000, under a $((MEMORY_LIMIT_KB / 1024)) MB memory limit"
folder=$E2E_TMP/hostile
make_folder "$folder"
for picture in $VAULTRUN_PICTURES; do
    huge_picture "$folder/$picture"
done
GAME_OUT=$E2E_TMP/stdout.txt GAME_ERR=$E2E_TMP/stderr.txt
# Unbuffered, so that the title's console line shows while the game runs.
(cd "$folder" && ulimit -v "$MEMORY_LIMIT_KB" &&
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy exec stdbuf -o0 "$GAME") >"$GAME_OUT" 2>"$GAME_ERR" &
GAME_PID=$!
poll 30 grep -qF 'STRINGGS!' "$GAME_OUT" || check_failed "no title frame: $(head -c 2000 "$GAME_ERR")"
kill -TERM "$GAME_PID" 2>/dev/null
wait "$GAME_PID"
status=$?
GAME_PID=""
[ "$status" = 0 ] || check_failed "status $status, not 0: $(head -c 2000 "$GAME_ERR")"
for picture in $VAULTRUN_PICTURES; do
    echo "Picture $picture refused: 30000 x 30000 is larger than 2048 x 2048"
done | sort | cmp -s - <(sort "$GAME_ERR") ||
    check_failed "standard error is not one refusal per picture: $(head -c 2000 "$GAME_ERR")"
e2e_done "hostile pictures"

#!/bin/sh
# Installs the build into a temporary prefix, checks the installed layout,
# then starts the installed launcher under a virtual X server with a player
# folder that already holds a best time, closes the window through the window
# manager and expects status 0 and the best time untouched.
# usage: install-and-launch.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/vaultrun libexec/vaultrun/vaultrun share/applications/vaultrun.desktop \
    share/icons/hicolor/64x64/apps/vaultrun.png "share/vaultrun/Cornerstone Regular.ttf" \
    share/vaultrun/StartScreen.gif share/vaultrun/level1.txt share/vaultrun/NOTICE; do
    [ -e "$prefix/$file" ] || fail "not installed: $file"
done
[ -x "$prefix/bin/vaultrun" ] || fail "launcher not executable"
[ ! -e "$prefix/share/vaultrun/Score.txt" ] || fail "a best time was installed"

export XDG_DATA_HOME="$work/player data"
folder=$XDG_DATA_HOME/vaultrun
mkdir -p "$folder"
printf 42 >"$folder/Score.txt"

cat >"$work/session.sh" <<'SESSION'
openbox >/dev/null 2>&1 &
wm=$!
"$1/bin/vaultrun" >"$2/game.log" 2>&1 &
game=$!
# Poll for the mapped window rather than "search --sync": a search that meets
# one of the window manager's windows vanishing dies on the X error.
tries=0
until xdotool search --onlyvisible --name '^Vaultrun$' >/dev/null 2>&1; do
    kill -0 "$game" 2>/dev/null || break
    tries=$((tries + 1))
    [ "$tries" -lt 600 ] || break
    sleep 0.1
done
# The window manager turns the close request into SDL_QUIT.
tries=0
while kill -0 "$game" 2>/dev/null && [ "$tries" -lt 300 ]; do
    wmctrl -c Vaultrun 2>/dev/null || true
    tries=$((tries + 1))
    sleep 0.1
done
kill "$game" 2>/dev/null && echo "the game did not end when its window was closed" >&2
status=0
wait "$game" || status=$?
kill "$wm" 2>/dev/null || true
exit "$status"
SESSION
status=0
timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/session.sh" "$prefix" "$work" || status=$?
[ "$status" -eq 0 ] || { cat "$work/game.log" >&2; fail "game exited with status $status"; }

[ -L "$folder/level1.txt" ] || fail "the player folder has no link to the level"
[ "$(readlink -f "$folder/grass.png")" = "$(readlink -f "$prefix/share/vaultrun/grass.png")" ] ||
    fail "the player folder's pictures do not lead to the installed data"
[ ! -L "$folder/Score.txt" ] && [ "$(cat "$folder/Score.txt")" = 42 ] || fail "the best time changed"
grep -q "SCORE = 42" "$work/game.log" || fail "the game did not read the player's best time"
echo "install and launch: ok"

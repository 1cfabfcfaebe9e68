#!/bin/bash
# Installs the build into a temporary prefix, then starts the installed
# launcher under a virtual X server with a player folder that already holds a
# best time, closes the window through the window manager and expects status
# 0, the player folder leading to the installed data and the best time
# untouched. (check-package.sh checks the installed files themselves.)
# usage: install-and-launch.sh BUILD_DIR
build=$1
source "$(dirname "$0")/../e2e/lib.sh"
prefix=$E2E_TMP/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || die "cmake --install failed"
[ ! -e "$prefix/share/vaultrun/Score.txt" ] || die "a best time was installed"

export XDG_DATA_HOME="$E2E_TMP/player data"
folder=$XDG_DATA_HOME/vaultrun
mkdir -p "$folder"
printf 42 >"$folder/Score.txt"

# The launcher finds its own folder; the game runs wherever it says.
GAME=$prefix/bin/vaultrun
x_start
game_start "$E2E_TMP" || die "the launcher opened no window: $(cat "$GAME_ERR")"
game_close
[ "$GAME_STATUS" = 0 ] || die "the game exited with status $GAME_STATUS: $(cat "$GAME_ERR")"

[ -L "$folder/level1.txt" ] || die "the player folder has no link to the level"
grass=$VAULTRUN_GRASS_PICTURE
[ "$(readlink -f "$folder/$grass")" = "$(readlink -f "$prefix/share/vaultrun/$grass")" ] ||
    die "the player folder's pictures do not lead to the installed data"
[ ! -L "$folder/Score.txt" ] && [ "$(cat "$folder/Score.txt")" = 42 ] || die "the best time changed"
grep -q "SCORE = 42" "$GAME_OUT" || die "the game did not read the player's best time"
e2e_done "install and launch"

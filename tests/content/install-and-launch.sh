#!/bin/bash
# Installs the build into a temporary prefix, checks the installed layout,
# then starts the installed launcher under a virtual X server with a player
# folder that already holds a best time, closes the window through the window
# manager and expects status 0 and the best time untouched.
# usage: install-and-launch.sh BUILD_DIR
set -u
build=$1
HERE=$(cd "$(dirname "$0")/../e2e" && pwd)
source "$HERE/lib.sh"
prefix=$E2E_TMP/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null || die "cmake --install failed"
for file in bin/vaultrun libexec/vaultrun/vaultrun share/applications/vaultrun.desktop \
    share/icons/hicolor/64x64/apps/vaultrun.png "share/vaultrun/$VAULTRUN_FONT_FILE" \
    "share/vaultrun/$VAULTRUN_TITLE_SCREEN_PICTURE" share/vaultrun/level1.txt share/vaultrun/NOTICE \
    "share/vaultrun/$VAULTRUN_MUSIC_SOUND" "share/vaultrun/$VAULTRUN_KEY_TAKEN_SOUND"; do
    [ -e "$prefix/$file" ] || die "not installed: $file"
done
[ -x "$prefix/bin/vaultrun" ] || die "launcher not executable"
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
[ "$FAILURES" = 0 ] || exit 1
echo "install and launch: ok"

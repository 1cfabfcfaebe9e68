#!/bin/bash
# The game in a real window under a window manager, on a screen twice the
# window's size, driven by real key events and checked on screenshots: what
# only a real window shows. The title comes back unchanged after the window is
# minimised, covered and put in full screen (at exactly twice its size) and
# back, also under a window manager slower than SDL waits for; a key starts a
# run, which held arrows win on a test level; only space leaves the end screen;
# the time is stored; closing the window ends the game with status 0.
# usage: window.sh GAME DATA_FOLDER
GAME=$(realpath "$1") DATA=$(realpath "$2")
. "$(dirname "$0")/lib.sh"
W=$VAULTRUN_WINDOW_WIDTH H=$VAULTRUN_WINDOW_HEIGHT
X_SCREEN=$((2 * W))x$((2 * H))x24
# The winning level: its line after the map (which the game ignores) names the
# arrow held for each leg; each leg ends where the map stops the player.
LEVEL=$HERE/levels/win.txt
x_start

window_size() { eval "$(xdotool getwindowgeometry --shell "$WID")"; echo "$WIDTH $HEIGHT"; }
size_is() { [ "$(window_size)" = "$1 $2" ]; }
folder=$E2E_TMP/window
make_folder "$folder" "$LEVEL"
game_start "$folder"
TITLE=$DATA/$VAULTRUN_TITLE_SCREEN_PICTURE TITLE_SHOT=$E2E_TMP/title.png
size_is "$W" "$H" || check_failed "the window opens at $(window_size), not $W x $H"
poll 20 shows_texts_over "$TITLE" || die "no title screen"
sleep 0.5
shot && cp "$SHOT" "$TITLE_SHOT"
convert "$TITLE_SHOT" -scale 200% "png:$E2E_TMP/doubled.png"

echo "case: the title after minimise, cover and full screen"
cover() {  # another program's window over the game's place for a moment
    display -geometry +0+0 -title cover "$DATA/$VAULTRUN_END_SCREEN_PICTURE" &
    local cover_pid=$!
    poll 10 eval 'xdotool search --onlyvisible --name "^cover$" >/dev/null 2>&1' || check_failed "no covering window"
    sleep 0.5
    kill "$cover_pid"
    wait "$cover_pid" 2>/dev/null
}
xdotool windowminimize "$WID"
cover
wmctrl -a "$VAULTRUN_WINDOW_TITLE"
poll 10 shows "$TITLE_SHOT" || check_failed "minimised and restored, the window does not show the title"
cover
poll 10 shows "$TITLE_SHOT" || check_failed "the covering window left a trace on the title"
xdotool key F11
poll 10 size_is $((2 * W)) $((2 * H)) || check_failed "F11 gave $(window_size), not the whole screen"
poll 10 shows "$E2E_TMP/doubled.png" || check_failed "full screen does not show the title at twice its size"
# Held up longer than SDL waits, the window manager resizes after SDL has
# announced the new size: the real resize comes as an expose.
kill -STOP "$WM_PID"
xdotool key alt+Return
sleep 0.5
kill -CONT "$WM_PID"
poll 10 size_is "$W" "$H" || check_failed "Alt+Enter gave $(window_size), not $W x $H"
poll 10 shows "$TITLE_SHOT" || check_failed "back from full screen, the window does not show the title"

echo "case: a complete win by held arrows"
xdotool key x
poll 20 player_shown || check_failed "a key press did not start a run"
started=$(now_ms)
play_route "$LEVEL"
seconds=$((($(now_ms) - started + 999) / 1000))
END=$DATA/$VAULTRUN_END_SCREEN_PICTURE
poll 10 shows_texts_over "$END" || check_failed "the last leg did not reach the end screen"
stored=$(cat "$folder/Score.txt" 2>/dev/null)
[[ $stored =~ ^[0-9]+$ ]] && [ "$stored" -ge 1 ] && [ "$stored" -le "$seconds" ] ||
    check_failed "stored time '$stored' for a run of $seconds s"
xdotool key Return
sleep 0.3
shows_texts_over "$END" || check_failed "a key other than space left the end screen"
xdotool key space
poll 20 player_shown || check_failed "space did not start the next run"

game_close
grep -qF "SCORE = $stored " "$GAME_OUT" || check_failed "the best time was not read back after the win"
[ "$(grep -oaF 'STRINGGS!' "$GAME_OUT" | wc -l)" = 1 ] || check_failed "the title was drawn more than once"
e2e_done window

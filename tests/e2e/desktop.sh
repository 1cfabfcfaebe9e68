#!/bin/bash
# The window as a desktop window under a window manager, on a 1600 x 1200
# virtual screen, checked on screenshots:
#  - minimised and restored, or covered by another window that closes again,
#    it shows the title as before;
#  - F11 gives a 1600 x 1200 full screen with the picture at exactly twice its
#    size, F11 again the 800 x 600 window as it was; Alt+Enter the same, and
#    F11 again under a window manager slower than SDL waits for;
#  - maximised, window and picture grow together, letterboxed in black;
#  - P pauses a run (a notice, the clock still) and resumes it.
# The title is drawn once: showing it again never draws a new frame.
# usage: desktop.sh GAME DATA_FOLDER
GAME=$(realpath "$1") DATA=$(realpath "$2")
X_SCREEN=1600x1200x24
. "$(dirname "$0")/lib.sh"
x_start

TITLE_SHOT=$E2E_TMP/title.png

window_size() { eval "$(xdotool getwindowgeometry --shell "$WID")"; echo "$WIDTH $HEIGHT"; }
size_is() { [ "$(window_size)" = "$1 $2" ]; }
# shows PICTURE: the window shows exactly that picture.
shows() { next_shot; [ "$(compare -metric AE "$SHOT" "$1" null: 2>&1)" = 0 ]; }

is_minimised() { ! xdotool search --onlyvisible --name '^Vaultrun$' 2>/dev/null | grep -qx "$WID"; }

echo "case: the title comes back after minimise, cover and full screen"
folder=$E2E_TMP/desktop
make_folder "$folder"
game_start "$folder" || die "the game did not open its window"
size_is 800 600 || check_failed "the window opens at $(window_size), not 800 x 600"
poll 20 title_shown || die "no title screen"
sleep 0.5
shot "$TITLE_SHOT"
convert "$TITLE_SHOT" -scale 200% "png:$E2E_TMP/doubled.png"

# cover [check]: another program's window (the end picture) over the game's
# place for a moment, closed again. Its pixels stay on the screen until
# something paints over them.
cover() {
    display -geometry +0+0 -title cover "$DATA/EndScreen.gif" &
    local cover_pid=$!
    if poll 10 eval 'xdotool search --onlyvisible --name "^cover$" >/dev/null 2>&1'; then
        sleep 0.5
        [ -z "${1:-}" ] || ! shows "$TITLE_SHOT" || check_failed "the covering window does not cover the game"
    else
        check_failed "the covering window did not appear"
    fi
    kill "$cover_pid"
    wait "$cover_pid" 2>/dev/null
}

xdotool windowminimize "$WID"
poll 10 is_minimised || check_failed "the window was not minimised"
cover  # while minimised: what the game had shown there is gone
wmctrl -a Vaultrun
poll 10 shows "$TITLE_SHOT" || check_failed "minimised and restored, the window does not show the title"
cover check
poll 10 shows "$TITLE_SHOT" || check_failed "the covering window left a trace on the title"
echo "  minimised and restored, covered and uncovered: the title as before"

# switch KEY [slow]: taps the key; "slow" holds the window manager up for
# longer than SDL waits for it, as on a loaded machine. SDL then announces the
# new size before the window has it, and the real resize comes as an expose.
switch() {
    [ -z "${2:-}" ] || kill -STOP "$WM_PID"
    key_tap "$1"
    [ -z "${2:-}" ] || { sleep 0.5; kill -CONT "$WM_PID"; }
}

for keys in F11 alt+Return "F11 slow"; do
    switch $keys
    poll 10 size_is 1600 1200 || check_failed "$keys gave a window of $(window_size), not the 1600 x 1200 screen"
    poll 10 shows "$E2E_TMP/doubled.png" || check_failed "full screen after $keys does not show the title at twice its size"
    switch $keys
    poll 10 size_is 800 600 || check_failed "$keys again gave $(window_size), not 800 x 600"
    poll 10 shows "$TITLE_SHOT" || check_failed "back from full screen, the window does not show the title as before"
    echo "  $keys: full screen at 2x and back"
done

# Maximised: the title's red line scaled as the 800 x 600 picture fits the
# window, centred between black bars.
wmctrl -r Vaultrun -b add,maximized_vert,maximized_horz
poll 10 eval '[ "$(window_size | cut -d" " -f2)" -gt 600 ]' || check_failed "maximise did not grow the window"
read -r title_w _ < <(bbox "$TITLE_SHOT" "$TITLE_RED")
shows_maximised() {
    read -r width height < <(window_size)
    next_shot
    read -r red_w _ < <(bbox "$SHOT" "$TITLE_RED") || red_w=0
    expected=$(awk -v w="$width" -v h="$height" -v t="$title_w" 'BEGIN { s = w / 800; if (h / 600 < s) s = h / 600; printf "%d", t * s }')
    [ $((red_w - expected)) -le 2 ] && [ $((expected - red_w)) -le 2 ] &&
        [ "$(count "$SHOT" 1x1+0+0 "$BLACK")" = 1 ] &&
        [ "$(count "$SHOT" 1x1+$((width - 1))+$((height - 1)) "$BLACK")" = 1 ]
}
poll 10 shows_maximised ||
    check_failed "maximised to $width x $height, the red title is $red_w wide, not about $expected, or the corners are not black bars"
echo "  maximised to $width x $height: the title's red line $red_w px wide"
wmctrl -r Vaultrun -b remove,maximized_vert,maximized_horz
poll 10 size_is 800 600 || check_failed "unmaximised, the window is $(window_size)"
poll 10 shows "$TITLE_SHOT" || check_failed "unmaximised, the window does not show the title as before"

echo "case: a run paused and resumed"
key_tap x
poll 20 shows_run || check_failed "a key press did not start a run"
key_tap p
# The notice: a box with a white rim in the map, "Paused" and how to go on.
notice() { next_shot; count "$SHOT" 360x100+220+130 "$WHITE"; }
poll 5 eval '[ "$(notice)" -gt 800 ]' || check_failed "no pause notice"
cp "$SHOT" "$E2E_TMP/paused.png"
sleep 2.2
shows "$E2E_TMP/paused.png" || check_failed "the picture changed while paused (the clock or something else moved)"
key_tap p
poll 5 eval '[ "$(notice)" -lt 100 ]' || check_failed "resumed, the pause notice stays"
echo "  paused: a notice and a still picture; resumed: the notice gone"

close_cleanly
[ "$(grep -oaF 'STRINGGS!' "$GAME_OUT" | wc -l)" = 1 ] ||
    check_failed "the title was drawn $(grep -oaF 'STRINGGS!' "$GAME_OUT" | wc -l) times, not once"
e2e_done desktop

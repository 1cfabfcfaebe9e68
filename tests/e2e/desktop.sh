#!/bin/bash
# The window as a desktop window under a window manager, on a 1600 x 1200
# virtual screen, checked on screenshots:
#  - minimised and restored, the title screen comes back;
#  - covered by another window that closes again, it shows no trace of it;
#  - F11 gives a 1600 x 1200 full screen with the picture at exactly twice
#    its size, F11 again the 800 x 600 window as it was; Alt+Enter the same,
#    and F11 again under a window manager slower than SDL waits for;
#  - maximised, window and picture grow together, letterboxed in black;
#  - P pauses a run (a notice, the clock still) and resumes it.
# The title is drawn once: showing it again never draws a new frame.
# usage: desktop.sh GAME DATA_FOLDER
GAME=$(realpath "$1")
DATA=$(realpath "$2")
HERE=$(cd "$(dirname "$0")" && pwd)
X_SCREEN=1600x1200x24
. "$HERE/lib.sh"
x_start

TITLE_SHOT=$E2E_TMP/title.png

# The window's size as "W H".
window_size() {
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    echo "$WIDTH $HEIGHT"
}
size_is() { [ "$(window_size)" = "$1 $2" ]; }

# The window shows exactly what it showed as the title at first.
shows_title() {
    next_shot
    [ "$(compare -metric AE "$SHOT" "$TITLE_SHOT" null: 2>&1)" = 0 ]
}

# The window shows the title at exactly twice its size.
shows_title_doubled() {
    next_shot
    convert "$TITLE_SHOT" -scale 200% "png:$E2E_TMP/doubled.png" &&
        [ "$(compare -metric AE "$SHOT" "$E2E_TMP/doubled.png" null: 2>&1)" = 0 ]
}

is_minimised() { ! xdotool search --onlyvisible --name '^Vaultrun$' 2>/dev/null | grep -qx "$WID"; }

echo "case: the title comes back after minimise, cover and full screen"
folder=$E2E_TMP/desktop
make_folder "$folder"
game_start "$folder" || die "the game did not open its window"
size_is 800 600 || check_failed "the window opens at $(window_size), not 800 x 600"
poll 20 eval '[ "$(count "$(next_shot; echo "$SHOT")" 400x40+115+130 "$TITLE_RED")" -gt 0 ]' ||
    die "no title screen"
sleep 0.5
shot "$TITLE_SHOT"

# cover: another program's window (the end picture) over the game's place
# for a moment, closed again. Its pixels stay on the screen until something
# paints over them.
cover() {
    display -geometry +0+0 -title cover "$DATA/EndScreen.gif" &
    local cover_pid=$!
    if poll 10 eval 'xdotool search --onlyvisible --name "^cover$" >/dev/null 2>&1'; then
        sleep 0.5
        [ -n "$1" ] && { shows_title && check_failed "the covering window does not cover the game"; }
    else
        check_failed "the covering window did not appear"
    fi
    kill "$cover_pid"
    wait "$cover_pid" 2>/dev/null
}

xdotool windowminimize "$WID"
poll 10 is_minimised || check_failed "the window was not minimised"
cover ""  # while minimised: what the game had shown there is gone
wmctrl -a Vaultrun
poll 10 shows_title || check_failed "minimised and restored, the window does not show the title"
note "  minimised and restored: the title is back"

cover check
poll 10 shows_title || check_failed "the covering window left a trace on the title"
note "  covered and uncovered: no trace"

# switch KEYS [slow]: taps the keys; "slow" holds the window manager up for
# longer than SDL waits for it, as on a loaded machine. SDL then announces the
# new size before the window has it, and the real resize comes as an expose.
switch() {
    if [ "${2:-}" = slow ]; then
        kill -STOP "$WM_PID"
        key_tap "$1"
        sleep 0.5
        kill -CONT "$WM_PID"
    else
        key_tap "$1"
    fi
}

for keys in F11 alt+Return "F11 slow"; do
    switch $keys
    poll 10 size_is 1600 1200 || check_failed "$keys gave a window of $(window_size), not the 1600 x 1200 screen"
    poll 10 shows_title_doubled || check_failed "full screen after $keys does not show the title at twice its size"
    switch $keys
    poll 10 size_is 800 600 || check_failed "$keys again gave $(window_size), not 800 x 600"
    poll 10 shows_title || check_failed "back from full screen, the window does not show the title as before"
    note "  $keys: full screen at 2x and back"
done

# Maximised: as large as 4:3 allows, centred between black bars.
wmctrl -r Vaultrun -b add,maximized_vert,maximized_horz
poll 10 eval '[ "$(window_size | cut -d" " -f2)" -gt 600 ]' || check_failed "maximise did not grow the window"
sleep 0.5
read -r width height < <(window_size)
next_shot
read -r red_w red_h red_x red_y < <(bbox "$SHOT" "$TITLE_RED") || true
read -r title_w title_h title_x title_y < <(bbox "$TITLE_SHOT" "$TITLE_RED") || true
# The scale SDL picks for the 800 x 600 picture in this window, in thousandths.
scale=$(awk -v w="$width" -v h="$height" 'BEGIN { s = w / 800; if (h / 600 < s) s = h / 600; printf "%d", s * 1000 }')
expected=$((title_w * scale / 1000))
if [ -z "${red_w:-}" ] || [ $((red_w - expected)) -gt 2 ] || [ $((expected - red_w)) -gt 2 ]; then
    check_failed "maximised to $width x $height, the red title is ${red_w:-not} wide, not about $expected"
fi
[ "$(hex "$SHOT" 0 0)" = "$BLACK" ] && [ "$(hex "$SHOT" $((width - 1)) $((height - 1)))" = "$BLACK" ] ||
    check_failed "maximised, the corners are not black bars"
note "  maximised to $width x $height: the title's red line ${red_w:-?} px wide, scale $scale/1000"
wmctrl -r Vaultrun -b remove,maximized_vert,maximized_horz
poll 10 size_is 800 600 || check_failed "unmaximised, the window is $(window_size)"
poll 10 shows_title || check_failed "unmaximised, the window does not show the title as before"

echo "case: a run paused and resumed"
key_tap x
poll 20 shows_run || check_failed "a key press did not start a run"
key_tap p
sleep 0.5
next_shot
cp "$SHOT" "$E2E_TMP/paused.png"
# The notice: a box with a white rim in the map, "Paused" and how to go on.
[ "$(count "$SHOT" 360x100+220+130 "$WHITE")" -gt 800 ] || check_failed "no pause notice"
sleep 2.2
next_shot
[ "$(compare -metric AE "$SHOT" "$E2E_TMP/paused.png" null: 2>&1)" = 0 ] ||
    check_failed "the picture changed while paused (the clock or something else moved)"
key_tap p
poll 5 eval '[ "$(count "$(next_shot; echo "$SHOT")" 360x100+220+130 "$WHITE")" -lt 100 ]' ||
    check_failed "resumed, the pause notice stays"
note "  paused: a notice and a still picture; resumed: the notice gone"

game_close
[ "$GAME_STATUS" = 0 ] || check_failed "closing the window ended the game with status $GAME_STATUS"
check_sanitizers_quiet
[ "$(grep -oaF 'STRINGGS!' "$GAME_OUT" | wc -l)" = 1 ] ||
    check_failed "the title was drawn $(grep -oaF 'STRINGGS!' "$GAME_OUT" | wc -l) times, not once"

[ "$FAILURES" = 0 ] || die "$FAILURES check(s) failed"
echo "desktop: ok"

# Sourced by window.sh and scripts/take-screenshots (bash): a virtual X server
# with a window manager, the game started from a scratch folder, real key
# events and screenshots of the game's window. The script sets GAME and DATA
# (the built data folder).

set -u
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
unset SDL_VIDEODRIVER  # a real window on the virtual display
# The window, font and data file names (build/generated/assets.sh; ctest sets this).
. "${VAULTRUN_ASSETS:?set VAULTRUN_ASSETS to build/generated/assets.sh}"
export SDL_AUDIODRIVER=dummy  # the sounds are loaded and mixed, and heard by nobody

E2E_TMP=$(mktemp -d /tmp/vaultrun-e2e.XXXXXX)
XVFB_PID="" WM_PID="" GAME_PID="" WID=""
FAILURES=0
trap 'kill $GAME_PID $WM_PID $XVFB_PID 2>/dev/null; wait 2>/dev/null; rm -rf "$E2E_TMP"' EXIT

check_failed() { echo "FAIL: $*" >&2; FAILURES=$((FAILURES + 1)); }
die() { echo "FAIL: $*" >&2; exit 1; }
e2e_done() { [ "$FAILURES" = 0 ] || die "$FAILURES check(s) failed"; echo "$1: ok"; }
now_ms() { date +%s%3N; }

# poll SECONDS COMMAND...: runs the command until it succeeds; false on time-out
# or once a started game has ended.
poll() {
    local deadline=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        [ -z "$GAME_PID" ] || kill -0 "$GAME_PID" 2>/dev/null || return 1
        sleep 0.1
    done
}

X_SCREEN=${X_SCREEN:-1024x768x24}
x_start() {
    Xvfb -displayfd 3 -screen 0 "$X_SCREEN" -nolisten tcp -noreset 3>"$E2E_TMP/display" 2>/dev/null &
    XVFB_PID=$!
    poll 20 test -s "$E2E_TMP/display" || die "Xvfb named no display"
    export DISPLAY=":$(head -n 1 "$E2E_TMP/display")"
    # The window manager turns a close request into the game's quit event.
    openbox --sm-disable >/dev/null 2>&1 &
    WM_PID=$!
    poll 20 eval 'wmctrl -m >/dev/null 2>&1' || die "openbox did not start"
}

# game_start FOLDER: starts the game there, its output in $GAME_OUT and
# $GAME_ERR, and waits until the window manager has mapped its window.
game_start() {
    GAME_OUT=$E2E_TMP/stdout.txt GAME_ERR=$E2E_TMP/stderr.txt
    (cd "$1" && exec "$GAME") >"$GAME_OUT" 2>"$GAME_ERR" &
    GAME_PID=$!
    poll 30 eval 'WID=$(xdotool search --onlyvisible --name "^$VAULTRUN_WINDOW_TITLE\$" | head -n 1); [ -n "$WID" ]' ||
        die "no game window: $(head -c 2000 "$GAME_ERR")"
    timeout 10 xdotool windowfocus --sync "$WID" 2>/dev/null || true
}

# game_close: the window closed through the window manager; the game must end
# with status 0.
game_close() {
    local tries=0 status
    while kill -0 "$GAME_PID" 2>/dev/null && [ $((tries += 1)) -lt 300 ]; do
        wmctrl -c "$VAULTRUN_WINDOW_TITLE" 2>/dev/null
        sleep 0.1
    done
    kill "$GAME_PID" 2>/dev/null && check_failed "the game did not end when its window was closed"
    wait "$GAME_PID"
    status=$?
    GAME_PID=""
    [ "$status" = 0 ] || check_failed "closing the window ended the game with status $status"
}

# shot: what the game's window shows now, in $SHOT.
SHOT=$E2E_TMP/shot.png
shot() { rm -f "$SHOT"; timeout 10 import -window "$WID" "png:$SHOT" 2>/dev/null; }

# count FILE WxH+X+Y RRGGBB: how many pixels of that exact colour lie in the region.
count() {
    convert "$1" -crop "$2" +repage -alpha off -format %c histogram:info:- |
        awk -v want="#$3" 'toupper($3) == want { n += $1 } END { print n + 0 }'
}

# The player's jacket colour, from the art's palette: its box on a screenshot
# marks where the player is.
PLAYER_NAVY=$(awk '$1 == "h" { print toupper($2) }' "$HERE/../../data/art/palette.txt")
player_position() {
    convert "$SHOT" -alpha off -fill black +opaque "#$PLAYER_NAVY" -fill white -opaque "#$PLAYER_NAVY" \
        -format '%@' info: 2>/dev/null | grep -v '^0x0'
}

# differs_from PICTURE: how many pixels of the window's picture differ from it.
differs_from() { compare -metric AE "$SHOT" "$1" null: 2>&1 | cut -d' ' -f1; }
shows() { shot && [ "$(differs_from "$1")" = 0 ]; }
# The window shows the picture with a few lines of text over it.
shows_texts_over() { shot && local d && d=$(differs_from "$1") && [ "$d" -gt 0 ] && [ "$d" -lt $((VAULTRUN_WINDOW_WIDTH * VAULTRUN_WINDOW_HEIGHT / 10)) ]; }
player_shown() { shot && [ -n "$(player_position)" ]; }
# hold KEY: holds the arrow until the player has moved and then stands still.
hold() {
    local from now="" previous=""
    shot && from=$(player_position)
    xdotool keydown "$1"
    for _ in $(seq 240); do
        sleep 0.25
        shot && now=$(player_position)
        [ "$now" != "$from" ] && [ "$now" = "$previous" ] && break
        previous=$now
    done
    xdotool keyup "$1"
    [ "$now" != "$from" ] && [ "$now" = "$previous" ] || check_failed "holding $1 did not move the player to a stop"
}

# play_route LEVEL_FILE: holds the arrows its line after the map names, in turn.
play_route() {
    local key
    for key in $(sed -n 12p "$1"); do
        hold "$key"
    done
}

# make_folder FOLDER [LEVEL_FILE]: a scratch working folder with the built
# pictures, sounds, font and level, or with LEVEL_FILE as the level.
make_folder() {
    local file
    rm -rf "$1"
    mkdir -p "$1"
    for file in $VAULTRUN_PICTURES $VAULTRUN_SOUNDS "$VAULTRUN_FONT_FILE" level1.txt; do
        cp "$DATA/$file" "$1/"
    done
    [ -z "${2:-}" ] || cp "$2" "$1/level1.txt"
}

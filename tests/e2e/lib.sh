# Shared by the end-to-end scripts (sourced, bash): a virtual X server with a
# window manager, the game started from a scratch folder, real key events,
# screenshots of the game's window and pixel checks on them.
#
# A script sets GAME (the vaultrun executable), DATA (the built data folder)
# and HERE (this folder), sources this file, calls x_start, and then drives
# one game at a time with game_start / game_close.

set -u
# The game must open a real window on the virtual display.
unset SDL_VIDEODRIVER
# The window, font and data file names, generated from data/assets.cmake
# (build/generated/assets.sh; ctest sets this).
. "${VAULTRUN_ASSETS:?set VAULTRUN_ASSETS to build/generated/assets.sh}"
# No sound card here: SDL's dummy device opens, so the sounds are loaded and
# mixed as on a player's machine. A script may choose another driver.
export SDL_AUDIODRIVER=dummy

E2E_TMP=$(mktemp -d /tmp/vaultrun-e2e.XXXXXX)
XVFB_PID=""
WM_PID=""
GAME_PID=""
WID=""
FAILURES=0

# Colours the checks look for (0xRRGGBB as ImageMagick prints them).
SKY=87CEEB
BLACK=000000
WHITE=FFFFFF
TITLE_RED=FF0000
PLAYER_NAVY=23304F  # the jacket: in the standing and the climbing picture
PLAYER_NAVY_DX=6    # where the jacket's box starts inside the 25 x 30 sprite
PLAYER_NAVY_DY=4
GHOST_BLUE=6F8CB0   # only the ghost picture has it

e2e_cleanup() {
    # Only what this script started, each by its own id.
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

note() { echo "$*"; }
# A failed check of the current case: reported, counted, the script goes on.
check_failed() {
    echo "FAIL: $*" >&2
    FAILURES=$((FAILURES + 1))
}
# Nothing sensible can follow.
die() {
    echo "FAIL: $*" >&2
    exit 1
}

now_ms() { date +%s%3N; }

require_tools() {
    local tool
    for tool in Xvfb openbox wmctrl xdotool import convert compare; do
        command -v "$tool" >/dev/null 2>&1 || die "$tool is missing: run scripts/install-deps --dev"
    done
    [ -x "$GAME" ] || die "no game executable at $GAME"
}

# ---------------------------------------------------------------- X server

# The virtual screen; a script may set another size before x_start.
X_SCREEN=${X_SCREEN:-1024x768x24}

x_start() {
    require_tools
    # -displayfd picks a free display and names it once the server listens.
    Xvfb -displayfd 3 -screen 0 "$X_SCREEN" -nolisten tcp -noreset \
        3>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local deadline=$(($(now_ms) + 20000))
    until [ -s "$E2E_TMP/display" ]; do
        kill -0 "$XVFB_PID" 2>/dev/null || die "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
        [ "$(now_ms)" -lt "$deadline" ] || die "Xvfb named no display"
        sleep 0.05
    done
    export DISPLAY=":$(head -n 1 "$E2E_TMP/display")"
    # The window manager turns a close request into the game's quit event.
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    WM_PID=$!
    deadline=$(($(now_ms) + 20000))
    until wmctrl -m >/dev/null 2>&1; do
        [ "$(now_ms)" -lt "$deadline" ] || die "openbox did not start"
        sleep 0.05
    done
}

# ---------------------------------------------------------------- the game

# The environment of an instrumented game under X: the GL driver stays loaded
# to the end, so that what it still holds is not taken for a leak (its frames
# could not be named once it is unloaded); X and D-Bus leaks are suppressed by
# library name.
LEAK_SUPPRESSIONS=$HERE/x11-leaks.supp
sanitizer_env() {
    local asan gl
    asan=$(ldd "$GAME" 2>/dev/null | awk '/libasan/ { print $3; exit }')
    [ -n "$asan" ] || return 0
    gl=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1)
    printf '%s\n' \
        "LD_PRELOAD=$asan${gl:+ $gl}" \
        "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:print_suppressions=0" \
        "LSAN_OPTIONS=suppressions=$LEAK_SUPPRESSIONS:print_suppressions=0" \
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
}

game_is_instrumented() { ldd "$GAME" 2>/dev/null | grep -q libasan; }

# game_start FOLDER [WRAPPER...]: starts the game with FOLDER as its working
# folder, waits for its window and focuses it. The game's output goes to
# $GAME_OUT and $GAME_ERR. A wrapper command, if given, must end by running
# "$@" in the folder (it gets the game and its environment as arguments).
game_start() {
    local folder=$1
    shift
    GAME_OUT=$E2E_TMP/stdout.txt
    GAME_ERR=$E2E_TMP/stderr.txt
    local -a environment
    mapfile -t environment < <(sanitizer_env)
    if [ $# -gt 0 ]; then
        "$@" env "${environment[@]}" "$GAME" >"$GAME_OUT" 2>"$GAME_ERR" &
    else
        (cd "$folder" && exec env "${environment[@]}" "$GAME") >"$GAME_OUT" 2>"$GAME_ERR" &
    fi
    GAME_PID=$!
    WID=""
    local deadline=$(($(now_ms) + 30000))
    while [ -z "$WID" ]; do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID"
            local status=$?
            GAME_PID=""
            check_failed "the game ended with status $status before its window appeared: $(head -c 2000 "$GAME_ERR")"
            return 1
        fi
        [ "$(now_ms)" -lt "$deadline" ] || { check_failed "no Vaultrun window"; return 1; }
        # Only once the window manager has mapped it: a screenshot of a window
        # still on its way would make import wait, holding the X server, for
        # the window manager it holds off.
        WID=$(xdotool search --onlyvisible --name '^Vaultrun$' 2>/dev/null | head -n 1)
        [ -n "$WID" ] || sleep 0.05
    done
    # Bounded: the wait for focus has no limit of its own.
    timeout 10 xdotool windowfocus --sync "$WID" 2>/dev/null || true
    return 0
}

# game_close: asks the window manager to close the window, waits for the game
# to end and sets GAME_STATUS.
game_close() {
    GAME_STATUS=""
    [ -n "$GAME_PID" ] || return 1
    local deadline=$(($(now_ms) + 30000))
    while kill -0 "$GAME_PID" 2>/dev/null; do
        if [ "$(now_ms)" -ge "$deadline" ]; then
            kill "$GAME_PID" 2>/dev/null
            check_failed "the game did not end when its window was closed"
            break
        fi
        wmctrl -c Vaultrun 2>/dev/null || true
        sleep 0.05
    done
    wait "$GAME_PID"
    GAME_STATUS=$?
    GAME_PID=""
    WID=""
}

# No sanitizer report and no sign of one in the exit status.
check_sanitizers_quiet() {
    if grep -Eq 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: (Address|Undefined)' "$GAME_ERR"; then
        check_failed "sanitizer report: $(grep -E -m 5 -A 12 'ERROR: |runtime error:' "$GAME_ERR")"
    fi
}

# ---------------------------------------------------------------- input

key_tap() { xdotool key "$1"; }
key_down() { xdotool keydown "$1"; }
key_up() { xdotool keyup "$1"; }

# ---------------------------------------------------------------- screenshots

# shot FILE: what the game's window shows now. import holds the X server while
# it reads; the time limit keeps a stuck one from stopping everything.
shot() {
    rm -f "$1"
    timeout 10 import -window "$WID" "png:$1" 2>/dev/null
}

# hex FILE X Y: the pixel's colour as RRGGBB.
hex() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }

# count FILE GEOMETRY RRGGBB: how many pixels of that exact colour lie in the
# region (WxH+X+Y).
count() {
    convert "$1" -crop "$2" +repage -alpha off -format %c histogram:info:- |
        awk -v want="#$3" 'toupper($3) == want { n += $1 } END { print n + 0 }'
}

# colours FILE GEOMETRY: the distinct colours of the region, one RRGGBB a line.
colours() {
    convert "$1" -crop "$2" +repage -alpha off -format %c histogram:info:- |
        awk '{ print substr(toupper($3), 2, 6) }' | sort -u
}

# bbox FILE RRGGBB: "W H X Y" of the pixels of that colour, or nothing.
bbox() {
    local box
    box=$(convert "$1" -alpha off -fill black +opaque "#$2" -fill white -opaque "#$2" \
        -format '%@' info: 2>/dev/null)
    case $box in
        0x0* | "") return 1 ;;
    esac
    echo "$box" | sed 's/[x+]/ /g'
}

# player_position FILE: "X Y" of the player's sprite (standing or climbing),
# found by its jacket, or nothing when it is not on screen.
player_position() {
    local w h x y
    read -r w h x y < <(bbox "$1" "$PLAYER_NAVY") || return 1
    [ -n "${y:-}" ] || return 1
    echo "$((x - PLAYER_NAVY_DX)) $((y - PLAYER_NAVY_DY))"
}

# same_region SHOT PICTURE GEOMETRY: the screenshot shows the picture unchanged there.
same_region() {
    convert "$1" -crop "$3" +repage -alpha off "png:$E2E_TMP/region-shot.png" &&
        convert "$2" -crop "$3" +repage -alpha off "png:$E2E_TMP/region-picture.png" &&
        [ "$(compare -metric AE "$E2E_TMP/region-shot.png" "$E2E_TMP/region-picture.png" null: 2>&1)" = 0 ]
}

# poll SECONDS COMMAND...: runs the command until it succeeds; false on time-out.
# POLL_PAUSE seconds between tries: screenshots cost the game CPU time.
POLL_PAUSE=0.05
poll() {
    local deadline=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        kill -0 "$GAME_PID" 2>/dev/null || return 1
        sleep "$POLL_PAUSE"
    done
}

# ---------------------------------------------------------------- screens

SHOT=""
next_shot() {
    SHOT=$E2E_TMP/shot.png
    shot "$SHOT"
}

# A run is on: the heads-up band above y 40 holds nothing but black and the
# white of its texts, and the map's sky shows below it.
shows_run() {
    next_shot
    local band
    band=$(colours "$SHOT" 800x40+0+0) &&
        [ "$(echo "$band" | grep -Evc "^($BLACK|$WHITE)$")" = 0 ] &&
        echo "$band" | grep -qx "$BLACK" &&
        [ "$(count "$SHOT" 800x560+0+40 "$SKY")" -gt 0 ]
}

# The player stands at exactly (X, Y).
player_at() {
    next_shot
    [ "$(player_position "$SHOT")" = "$1 $2" ]
}

# hold KEY X Y: holds the arrow until the player stands at (X, Y), a little
# longer to show that it stays there, then lets go.
hold() {
    local key=$1 x=$2 y=$3
    key_down "$key"
    if ! POLL_PAUSE=0.25 poll 60 player_at "$x" "$y"; then
        key_up "$key"
        check_failed "holding $key did not bring the player to ($x, $y); it is at ($(player_position "$SHOT"))"
        return 1
    fi
    sleep 0.3
    key_up "$key"
    if ! player_at "$x" "$y"; then
        check_failed "the player did not stay at ($x, $y) while $key was held; it is at ($(player_position "$SHOT"))"
        return 1
    fi
    note "  held $key: the player stopped at ($x, $y)"
}

# A scratch working folder holding the built pictures, sounds, font and level.
make_folder() {
    local folder=$1 file
    rm -rf "$folder"
    mkdir -p "$folder"
    for file in $VAULTRUN_PICTURES $VAULTRUN_SOUNDS "$VAULTRUN_FONT_FILE" level1.txt; do
        cp "$DATA/$file" "$folder/"
    done
}

# huge_picture FILE: a picture whose header claims 30000 x 30000 pixels (some
# 3.6 GB once decoded), in the format its name says (.png or .gif), valid up to
# its first pixel data, so that a decoder that trusts it allocates at once.
huge_picture() {
    case $1 in
        *.png)
            perl -MCompress::Zlib -e '
                my $ihdr = "IHDR" . pack("NNCCCCC", 30000, 30000, 8, 6, 0, 0, 0);
                print "\x89PNG\r\n\x1a\n", pack("N", 13), $ihdr, pack("N", crc32($ihdr)),
                    pack("N", 8), "IDAT", "\x78\x9c\x00\x00\x00\xff\xff\x00", "CRC!";
            ' >"$1" ;;
        *.gif)
            # Screen and first image 30000 x 30000 (0x7530), no colour table.
            printf 'GIF89a\x30\x75\x30\x75\x00\x00\x00,\x00\x00\x00\x00\x30\x75\x30\x75\x00\x08\x02\x00;' >"$1" ;;
        *) die "huge_picture: no format for $1" ;;
    esac
}

# Sourced by the end-to-end scripts (bash): a virtual X server with a window
# manager, the game started from a scratch folder, real key events, screenshots
# of the game's window and pixel checks on them. A script sets GAME and DATA
# (the built data folder), sources this file, calls x_start, and drives one game
# at a time with game_start / game_close.

set -u
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The game must open a real window on the virtual display.
unset SDL_VIDEODRIVER
# The window, font and data file names (build/generated/assets.sh; ctest sets this).
. "${VAULTRUN_ASSETS:?set VAULTRUN_ASSETS to build/generated/assets.sh}"
# No sound card here: SDL's dummy device opens, so the sounds are loaded and
# mixed as on a player's machine. A script may choose another driver.
export SDL_AUDIODRIVER=dummy

E2E_TMP=$(mktemp -d /tmp/vaultrun-e2e.XXXXXX)
XVFB_PID="" WM_PID="" GAME_PID="" WID=""
FAILURES=0

# Colours the checks look for (0xRRGGBB as ImageMagick prints them).
SKY=87CEEB BLACK=000000 WHITE=FFFFFF TITLE_RED=FF0000
PLAYER_NAVY=23304F  # the jacket: in the standing and the climbing picture
PLAYER_NAVY_DX=6    # where the jacket's box starts inside the 25 x 30 sprite
PLAYER_NAVY_DY=4
GHOST_BLUE=6F8CB0   # only the ghost picture has it

# Only what this script started, each by its own id.
trap 'kill $GAME_PID $WM_PID $XVFB_PID 2>/dev/null; wait 2>/dev/null; rm -rf "$E2E_TMP"' EXIT

# A failed check is reported and counted, and the script goes on; after die nothing can.
check_failed() { echo "FAIL: $*" >&2; FAILURES=$((FAILURES + 1)); }
die() { echo "FAIL: $*" >&2; exit 1; }
e2e_done() { [ "$FAILURES" = 0 ] || die "$FAILURES check(s) failed"; echo "$1: ok"; }

now_ms() { date +%s%3N; }

# poll SECONDS COMMAND...: runs the command until it succeeds; false on time-out
# or once a started game has ended. POLL_PAUSE seconds between tries:
# screenshots cost the game CPU time.
POLL_PAUSE=0.05
poll() {
    local deadline=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        [ -z "$GAME_PID" ] || kill -0 "$GAME_PID" 2>/dev/null || return 1
        sleep "$POLL_PAUSE"
    done
}

# ---------------------------------------------------------------- X server

X_SCREEN=${X_SCREEN:-1024x768x24}  # a script may set another size

x_start() {
    local tool
    for tool in Xvfb openbox wmctrl xdotool import convert compare; do
        command -v "$tool" >/dev/null 2>&1 || die "$tool is missing: run scripts/install-deps --dev"
    done
    [ -x "$GAME" ] || die "no game executable at $GAME"
    # -displayfd picks a free display and names it once the server listens.
    Xvfb -displayfd 3 -screen 0 "$X_SCREEN" -nolisten tcp -noreset \
        3>"$E2E_TMP/display" >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    poll 20 test -s "$E2E_TMP/display" || die "Xvfb named no display: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$E2E_TMP/display")"
    # The window manager turns a close request into the game's quit event.
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    WM_PID=$!
    poll 20 eval 'wmctrl -m >/dev/null 2>&1' || die "openbox did not start"
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
    printf '%s\n' "LD_PRELOAD=$asan${gl:+ $gl}" \
        "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:print_suppressions=0" \
        "LSAN_OPTIONS=suppressions=$LEAK_SUPPRESSIONS:print_suppressions=0" \
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
}

# game_start FOLDER [WRAPPER...]: starts the game in FOLDER, its output in
# $GAME_OUT and $GAME_ERR, waits for its window and focuses it. A wrapper must
# end by running "$@" in the folder (it gets the environment and the game).
game_start() {
    local folder=$1 status environment
    shift
    GAME_OUT=$E2E_TMP/stdout.txt GAME_ERR=$E2E_TMP/stderr.txt
    mapfile -t environment < <(sanitizer_env)
    if [ $# -gt 0 ]; then
        "$@" env "${environment[@]}" "$GAME" >"$GAME_OUT" 2>"$GAME_ERR" &
    else
        (cd "$folder" && exec env "${environment[@]}" "$GAME") >"$GAME_OUT" 2>"$GAME_ERR" &
    fi
    GAME_PID=$!
    # Only once the window manager has mapped it: a screenshot of a window
    # still on its way would make import wait, holding the X server, for the
    # window manager it holds off.
    if ! poll 30 eval 'WID=$(xdotool search --onlyvisible --name "^Vaultrun$" 2>/dev/null | head -n 1); [ -n "$WID" ]'; then
        if kill -0 "$GAME_PID" 2>/dev/null; then
            check_failed "no Vaultrun window"
        else
            wait "$GAME_PID"
            status=$?
            GAME_PID=""
            check_failed "the game ended with status $status before its window appeared: $(head -c 2000 "$GAME_ERR")"
        fi
        return 1
    fi
    # Bounded: the wait for focus has no limit of its own.
    timeout 10 xdotool windowfocus --sync "$WID" 2>/dev/null || true
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
    GAME_PID="" WID=""
}

# No sanitizer report and no sign of one in the exit status.
check_sanitizers_quiet() {
    ! grep -Eq 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: (Address|Undefined)' "$GAME_ERR" ||
        check_failed "sanitizer report: $(grep -E -m 5 -A 12 'ERROR: |runtime error:' "$GAME_ERR")"
}

# The window closed: status 0 and no sanitizer report.
close_cleanly() {
    game_close
    [ "$GAME_STATUS" = 0 ] || check_failed "closing the window ended the game with status $GAME_STATUS"
    check_sanitizers_quiet
}

key_tap() { xdotool key "$1"; }
key_down() { xdotool keydown "$1"; }
key_up() { xdotool keyup "$1"; }

# ---------------------------------------------------------------- screenshots

# shot FILE: what the game's window shows now. import holds the X server while
# it reads; the time limit keeps a stuck one from stopping everything.
shot() { rm -f "$1"; timeout 10 import -window "$WID" "png:$1" 2>/dev/null; }
SHOT=$E2E_TMP/shot.png
next_shot() { shot "$SHOT"; }

# count FILE WxH+X+Y RRGGBB: how many pixels of that exact colour lie in the region.
count() {
    convert "$1" -crop "$2" +repage -alpha off -format %c histogram:info:- |
        awk -v want="#$3" 'toupper($3) == want { n += $1 } END { print n + 0 }'
}

# more_than_picture PICTURE RRGGBB BAND...: each band (WxH+X+Y) of the
# screenshot holds clearly more of the colour than the picture there: a text.
more_than_picture() {
    local picture=$1 colour=$2 band
    shift 2
    for band; do
        [ "$(count "$SHOT" "$band" "$colour")" -gt $(($(count "$picture" "$band" "$colour") + 40)) ] || return 1
    done
}

# bbox FILE RRGGBB: "W H X Y" of the pixels of that colour, or nothing.
bbox() {
    local box
    box=$(convert "$1" -alpha off -fill black +opaque "#$2" -fill white -opaque "#$2" \
        -format '%@' info: 2>/dev/null)
    case $box in 0x0* | "") return 1 ;; esac
    echo "$box" | sed 's/[x+]/ /g'
}

# player_position FILE: "X Y" of the player's sprite (standing or climbing),
# found by its jacket, or nothing when it is not on screen.
player_position() {
    local w h x y
    read -r w h x y < <(bbox "$1" "$PLAYER_NAVY") && [ -n "${y:-}" ] || return 1
    echo "$((x - PLAYER_NAVY_DX)) $((y - PLAYER_NAVY_DY))"
}

# same_region SHOT PICTURE GEOMETRY: the screenshot shows the picture unchanged there.
same_region() {
    convert "$1" -crop "$3" +repage -alpha off "png:$E2E_TMP/region-shot.png" &&
        convert "$2" -crop "$3" +repage -alpha off "png:$E2E_TMP/region-picture.png" &&
        [ "$(compare -metric AE "$E2E_TMP/region-shot.png" "$E2E_TMP/region-picture.png" null: 2>&1)" = 0 ]
}

# ---------------------------------------------------------------- screens

# The title picture with the red first line and the two white ones; below the
# second line and above the third the picture is untouched.
title_shown() {
    local title=$DATA/$VAULTRUN_TITLE_SCREEN_PICTURE
    next_shot
    same_region "$SHOT" "$title" 800x280+0+285 &&
        more_than_picture "$title" "$TITLE_RED" 400x40+115+130 &&
        more_than_picture "$title" "$WHITE" 500x40+115+250 685x30+115+570
}

# A run is on: the heads-up band above y 40 holds black and the white of its
# texts and nothing else, and the map's sky shows below it.
shows_run() {
    next_shot
    local band
    band=$(convert "$SHOT" -crop 800x40+0+0 +repage -alpha off -format %c histogram:info:- |
        awk '{ print toupper($3) }' | sort -u) &&
        [ "$(echo "$band" | grep -Evc "^#($BLACK|$WHITE)$")" = 0 ] &&
        echo "$band" | grep -qx "#$BLACK" &&
        [ "$(count "$SHOT" 800x560+0+40 "$SKY")" -gt 0 ]
}

# The player stands at exactly (X, Y).
player_at() { next_shot; [ "$(player_position "$SHOT")" = "$1 $2" ]; }

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
    player_at "$x" "$y" ||
        { check_failed "the player did not stay at ($x, $y) while $key was held; it is at ($(player_position "$SHOT"))"; return 1; }
    echo "  held $key: the player stopped at ($x, $y)"
}

# make_folder FOLDER [LEVEL]: a scratch working folder with the built pictures,
# sounds, font and level, or with the level LEVEL of levels/ in its place.
make_folder() {
    local folder=$1 file
    rm -rf "$folder"
    mkdir -p "$folder"
    for file in $VAULTRUN_PICTURES $VAULTRUN_SOUNDS "$VAULTRUN_FONT_FILE" level1.txt; do
        cp "$DATA/$file" "$folder/"
    done
    [ -z "${2:-}" ] || cp "$HERE/levels/$2.txt" "$folder/level1.txt"
}

# huge_picture FILE: a .png or .gif whose header claims 30000 x 30000 pixels
# (3.6 GB decoded), valid up to its first pixel data, so that a decoder that
# trusts it allocates at once.
huge_picture() {
    case $1 in
        *.png)
            perl -MCompress::Zlib -e '
                my $ihdr = "IHDR" . pack("NNCCCCC", 30000, 30000, 8, 6, 0, 0, 0);
                print "\x89PNG\r\n\x1a\n", pack("N", 13), $ihdr, pack("N", crc32($ihdr)),
                    pack("N", 8), "IDAT", "\x78\x9c\x00\x00\x00\xff\xff\x00", "CRC!";
            ' >"$1" ;;
        # Screen and first image 30000 x 30000 (0x7530), no colour table.
        *.gif) printf 'GIF89a\x30\x75\x30\x75\x00\x00\x00,\x00\x00\x00\x00\x30\x75\x30\x75\x00\x08\x02\x00;' >"$1" ;;
        *) die "huge_picture: no format for $1" ;;
    esac
}

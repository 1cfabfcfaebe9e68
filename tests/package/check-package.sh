#!/bin/bash
# The release as a user gets it: the Debian package built from a build folder
# as `make package` does, its control fields, its files against what
# `cmake --install` puts in a prefix (the programs in games/, as Debian keeps
# them), lintian's verdict, the AppStream metadata, and the packaged launcher
# starting the packaged game in a player folder that already holds a best time.
# usage: check-package.sh BUILD_DIR SOURCE_DIR VERSION
set -u
build=$(cd "$1" && pwd) source=$2 version=$3
work=$(mktemp -d /tmp/vaultrun-package.XXXXXX)
game_pid=""
trap '[ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
deb=$work/out/vaultrun_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"
field() { dpkg-deb -f "$deb" "$1"; }
for pair in Package=vaultrun "Version=$version" Architecture=amd64 Section=games; do
    [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is $(field "${pair%%=*}"), not ${pair#*=}"
done
# Found by dpkg-shlibdeps, not written by hand.
field Depends | grep -q 'libsdl2-2.0-0 (>= ' || fail "Depends lacks SDL: $(field Depends)"

cmake --install "$build" --prefix "$work/install/usr" >/dev/null || fail "cmake --install failed"
(cd "$work/install" && find . -type f -o -type l | sed 's|^\./usr/bin/|./usr/games/|' | sort) >"$work/installed"
dpkg-deb -c "$deb" | grep -v '^d' | sed 's/^\([^ ]* *\)\{5\}//; s/ -> .*//' | sort >"$work/packaged"
diff -u "$work/installed" "$work/packaged" >&2 || fail "the package's files differ from the install's"
grep -q 'Score\.txt' "$work/packaged" && fail "a best time is packaged"
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"

# The metadata passes appstreamcli; its newest release and the change log's are the version.
metainfo=$(ls "$source"/data/*.metainfo.xml)
appstreamcli validate --no-net --pedantic "$metainfo" >&2 || fail "appstreamcli rejects $metainfo"
grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | grep -qF "\"$version\"" ||
    fail "the newest release in $metainfo is not $version"
head -n 1 "$source/packaging/changelog" | grep -qF "vaultrun ($version)" || fail "the change log does not start at $version"

# The packaged launcher finds the game and the data beside it, keeps the
# player's best time and links the data into the player's folder; the game
# quits cleanly on TERM. Its console goes to a file unbuffered.
dpkg-deb -x "$deb" "$work/root"
export XDG_DATA_HOME=$work/player SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_DATA_HOME/vaultrun" && printf 42 >"$XDG_DATA_HOME/vaultrun/Score.txt"
stdbuf -o0 "$work/root/usr/games/vaultrun" >"$work/game.out" 2>"$work/game.err" &
game_pid=$!
for _ in $(seq 300); do
    grep -q 'STRINGGS!' "$work/game.out" 2>/dev/null && break
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
kill -TERM "$game_pid"
wait "$game_pid"
status=$? game_pid=""
[ "$status" = 0 ] || fail "the packaged game exited with status $status: $(cat "$work/game.err")"
grep -q 'SCORE = 42 ' "$work/game.out" || fail "the game did not read the player's best time: $(cat "$work/game.err")"
[ "$(cat "$XDG_DATA_HOME/vaultrun/Score.txt")" = 42 ] || fail "the best time changed"
[ "$(readlink -f "$XDG_DATA_HOME/vaultrun/level1.txt")" = "$work/root/usr/share/vaultrun/level1.txt" ] ||
    fail "the player folder does not lead to the packaged data"
echo "package: ok ($(basename "$deb"))"

#!/bin/bash
# Builds the Debian package from a build folder as `make package` does, and
# checks it: the name and control fields, the files against what
# `cmake --install` puts in a prefix (the programs moved to games/, as Debian
# keeps them), the licence notices, lintian's verdict, and that the packaged
# launcher starts the packaged game.
# usage: check-package.sh BUILD_DIR VERSION
set -u
build=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d /tmp/vaultrun-package.XXXXXX)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing: run scripts/install-deps --dev"
done

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
deb=$work/out/vaultrun_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"

field() { dpkg-deb -f "$deb" "$1"; }
for pair in Package=vaultrun "Version=$version" Architecture=amd64 Section=games; do
    [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is $(field "${pair%%=*}"), not ${pair#*=}"
done
# Found by dpkg-shlibdeps, not written by hand.
for lib in libsdl2-2.0-0 libsdl2-image-2.0-0 libsdl2-ttf-2.0-0 libstdc++6; do
    field Depends | grep -q "\b$lib (>= " || fail "Depends lacks $lib: $(field Depends)"
done

# Every file of a plain install, and nothing else, with the programs in games/.
cmake --install "$build" --prefix "$work/install/usr" >/dev/null || fail "cmake --install failed"
(cd "$work/install" && find . -type f -o -type l | sed 's|^\./usr/bin/|./usr/games/|' | sort) \
    >"$work/installed"
dpkg-deb -c "$deb" | grep -v '^d' | sed 's/^\([^ ]* *\)\{5\}//; s/ -> .*//' | sort >"$work/packaged"
diff -u "$work/installed" "$work/packaged" >&2 || fail "the package's files differ from the install's"
for file in ./usr/games/vaultrun ./usr/games/vaultrun-levelcheck ./usr/libexec/vaultrun/vaultrun \
    ./usr/share/vaultrun/level1.txt "./usr/share/vaultrun/Cornerstone Regular.ttf" ./usr/share/vaultrun/NOTICE \
    ./usr/share/vaultrun/StartScreen.gif ./usr/share/vaultrun/music.ogg ./usr/share/vaultrun/keyTaken.wav \
    ./usr/share/applications/vaultrun.desktop ./usr/share/icons/hicolor/64x64/apps/vaultrun.png \
    ./usr/share/metainfo/org.example.vaultrun.metainfo.xml ./usr/share/doc/vaultrun/copyright \
    ./usr/share/doc/vaultrun/changelog.gz ./usr/share/man/man6/vaultrun.6.gz; do
    grep -qxF "$file" "$work/packaged" || fail "not packaged: $file"
done
grep -q 'Score\.txt' "$work/packaged" && fail "a best time is packaged"

dpkg-deb -x "$deb" "$work/root"
copyright=$work/root/usr/share/doc/vaultrun/copyright
head -n 1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    fail "the copyright file is not in Debian's format"
grep -q '^License: OFL-1.1$' "$copyright" && grep -q 'SIL OPEN FONT LICENSE Version 1.1' "$copyright" ||
    fail "the copyright file lacks the font's licence"
[ "$(zcat "$work/root/usr/share/doc/vaultrun/changelog.gz" | head -n 1 | cut -d' ' -f2)" = "($version)" ] ||
    fail "the change log does not start with version $version"

lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"

# The launcher from the unpacked package finds the game and the data beside
# it; the game reaches its font loading and quits cleanly on TERM. Its console
# goes to a file line by line, so that the wait can see it.
export XDG_DATA_HOME=$work/player SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
stdbuf -oL "$work/root/usr/games/vaultrun" >"$work/game.out" 2>"$work/game.err" &
game_pid=$!
for _ in $(seq 300); do
    grep -q 'Loading font' "$work/game.out" 2>/dev/null && break
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q 'Loading font' "$work/game.out" || fail "the packaged game did not start: $(cat "$work/game.err")"
kill -TERM "$game_pid"
wait "$game_pid"
status=$?
game_pid=""
[ "$status" = 0 ] || fail "the packaged game exited with status $status: $(cat "$work/game.err")"
[ "$(readlink -f "$XDG_DATA_HOME/vaultrun/grass.png")" = "$work/root/usr/share/vaultrun/grass.png" ] ||
    fail "the player folder does not lead to the packaged data"
echo "package: ok ($(basename "$deb"))"

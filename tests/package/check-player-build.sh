#!/bin/bash
# A player's build configures on a machine without GoogleTest and Google
# Benchmark (CMake is told to find neither) and holds no suites or speed tools;
# with the suites on, the same machine fails to configure, so the first check
# proves something.
# usage: check-player-build.sh SOURCE_DIR
set -u
source=$1
work=$(mktemp -d /tmp/vaultrun-player-build.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
without_test_tools=(-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)

cmake -S "$source" -B "$work/player" -DVAULTRUN_TESTS=OFF -DVAULTRUN_BENCH=OFF \
    "${without_test_tools[@]}" >"$work/player.log" 2>&1 ||
    fail "a player's build does not configure without the test tools: $(cat "$work/player.log")"
for dir in tests tools/bench tools/tick-intervals; do
    [ ! -e "$work/player/$dir" ] || fail "a player's build configures $dir"
done
[ -e "$work/player/tools/levelcheck" ] || fail "a player's build lacks the level checker"

cmake -S "$source" -B "$work/tests" -DVAULTRUN_TESTS=ON -DVAULTRUN_BENCH=OFF \
    "${without_test_tools[@]}" >"$work/tests.log" 2>&1 &&
    fail "the suites configured without GoogleTest: CMake found it anyway"
echo "player's build: ok"

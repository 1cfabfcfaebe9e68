#!/bin/bash
# The AppStream metadata passes appstreamcli's checks, its newest release is the
# project's version (as is the change log's), its screenshots are the ones in
# docs/screenshots and it launches the desktop entry that is installed.
# usage: check-metainfo.sh SOURCE_DIR VERSION
set -u
source=$1
version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v appstreamcli >/dev/null 2>&1 || fail "appstreamcli is missing: run scripts/install-deps --dev"
shopt -s nullglob
files=("$source"/data/*.metainfo.xml)
[ "${#files[@]}" = 1 ] || fail "expected one data/*.metainfo.xml, found ${#files[@]}"
metainfo=${files[0]}

appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli rejects $metainfo"

id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo")
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "the file is not named after its id $id"

newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release is $newest, the project's version $version"
changelog=$(head -n 1 "$source/packaging/changelog" | sed -n 's/^vaultrun (\([^)]*\)).*/\1/p')
[ "$changelog" = "$version" ] || fail "the change log's newest entry is $changelog, not $version"

desktop=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -f "$source/data/$desktop" ] || fail "it launches $desktop, which is not in data/"

shots=$(grep -o '<image[^>]*>[^<]*</image>' "$metainfo" | sed 's|.*/\([^/<]*\)</image>|\1|')
[ -n "$shots" ] || fail "no screenshots"
for shot in $shots; do
    [ -f "$source/docs/screenshots/$shot" ] || fail "screenshot $shot is not in docs/screenshots"
done
echo "metainfo: ok"

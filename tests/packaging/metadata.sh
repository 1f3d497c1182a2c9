#!/usr/bin/env bash
# The installed desktop entry, metainfo and icons as desktops and software centres read them.
#
#   metadata.sh BUILD_FOLDER APP_ID
set -eu

build=${1:?build folder} id=${2:?desktop id}
fail() { echo "FAIL: $*" >&2; exit 1; }
stage=$(mktemp -d "${TMPDIR:-/tmp}/kestrum-metadata.XXXXXX")
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
share=$stage/usr/share

desktop=$share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
key() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(key Exec) == 'kestrum %f' && $(key Icon) == kestrum ]] || fail "Exec is not 'kestrum %f' or Icon is not kestrum"
# Replays open in the game: the type is registered with its glob, and the entry takes it.
[[ ";$(key MimeType)" == *";application/x-kestrum-replay;"* ]] || fail "the entry does not take replays"
mime=$share/mime/packages/kestrum-replay.xml
grep -q '<mime-type type="application/x-kestrum-replay">' "$mime" && grep -q 'pattern="\*.kestrum-replay"' "$mime" ||
    fail "the replay type or its glob is not registered"
if command -v update-mime-database >/dev/null; then
    update-mime-database "$share/mime" >/dev/null 2>&1 || fail "update-mime-database refuses the type"
    grep -q 'application/x-kestrum-replay:\*.kestrum-replay' "$share/mime/globs" || fail "no glob after update-mime-database"
fi
[[ -n $(key 'Name\[ja\]') && -n $(key 'Comment\[ja\]') && -n $(key Comment) ]] || fail "names and comments in both languages"
[[ ";$(key Categories)" == *";Game;"* ]] || fail "not in the Game category"
# One player can play the computer: the menu and the software centre say so in both languages.
[[ $(key Comment) == *computer* && $(key 'Comment\[ja\]') == *コンピュータ* ]] || fail "the comments leave out the computer"
grep -q '<summary>.*computer' "$share/metainfo/$id.metainfo.xml" &&
    grep -q '<summary xml:lang="ja">.*コンピュータ' "$share/metainfo/$id.metainfo.xml" || fail "the summaries leave out the computer"
grep -q '<description>' "$share/metainfo/$id.metainfo.xml" && grep -q '<p xml:lang="ja">' "$share/metainfo/$id.metainfo.xml" ||
    fail "no Japanese description"
grep -q '<screenshot type="default">' "$share/metainfo/$id.metainfo.xml" || fail "no screenshot"

# Each icon is a PNG of the size its folder names (width and height from the IHDR chunk).
for n in 16 24 32 48 64 128 256; do
    icon=$share/icons/hicolor/${n}x$n/apps/kestrum.png
    [[ -f $icon ]] || fail "no ${n}x$n icon"
    size=$(od -An -tu1 -j16 -N8 "$icon" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')
    [[ $size == "${n}x$n" ]] || fail "the ${n}x$n icon is $size"
done
echo "PASS: desktop entry, metainfo and icons"

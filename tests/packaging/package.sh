#!/usr/bin/env bash
# The Debian package: built with CPack from this build, then its files and control fields read back.
#
#   package.sh BUILD_FOLDER APP_ID
set -eu

build=${1:?build folder} id=${2:?desktop id}
fail() { echo "FAIL: $*" >&2; exit 1; }
out=$(mktemp -d "${TMPDIR:-/tmp}/kestrum-package.XXXXXX")
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || fail "cpack: $(cat "$out/cpack.log")"
debs=("$out"/kestrum_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || fail "no kestrum_*.deb: $(ls "$out")"
deb=${debs[0]}

# Contents: the game and its desktop files, nothing of the build or the tests.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$out/files"
cat >"$out/expected" <<LIST
./usr/bin/kestrum
./usr/lib/kestrum/kestrum-sound.so
./usr/share/applications/$id.desktop
./usr/share/doc/kestrum/copyright
$(for n in 16 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${n}x$n/apps/kestrum.png"; done)
./usr/share/kestrum/BAN.WAV
./usr/share/kestrum/BIGBAN.WAV
./usr/share/metainfo/$id.metainfo.xml
./usr/share/mime/packages/kestrum-replay.xml
LIST
sort -o "$out/expected" "$out/expected"
diff -u "$out/expected" "$out/files" || fail "the package holds other files than the game's"
dpkg-deb -c "$deb" | grep -q ' root/root .* ./usr/bin/kestrum$' || fail "files not owned by root"

# Fields.
field() { dpkg-deb -f "$deb" "$1"; }
dpkg-deb -I "$deb"
[[ $(field Package) == kestrum && $(field Section) == games ]] || fail "package name or section"
[[ $(field Maintainer) == *@* ]] || fail "no maintainer address"
[[ $(field Description) == *artillery* ]] || fail "no description"
depends=$(field Depends)
for needed in libc6 libqt6widgets6 libpulse0 libstdc++6 qt6-qpa-plugins fonts-ipafont-gothic; do
    [[ ", $depends" == *", $needed "* || ", $depends," == *", $needed,"* ]] || fail "Depends lacks $needed: $depends"
done
# The copyright file in Debian's machine-readable format: its header, and a licence for every file.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/kestrum/copyright >"$out/copyright"
head -n 1 "$out/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
grep -q '^Files: \*$' "$out/copyright" && grep -q '^Copyright: ' "$out/copyright" &&
    grep -q '^License: ' "$out/copyright" || fail "the copyright file names no copyright or licence for every file"
# Every player's settings live in their own home: removing the package has nothing else to clear.
mkdir "$out/control" && dpkg-deb -e "$deb" "$out/control"
if [[ -f $out/control/postrm ]] && grep -Eq 'config\.txt|rm ' "$out/control/postrm"; then
    fail "the removal script clears settings files: $(cat "$out/control/postrm")"
fi
echo "PASS: $(basename "$deb")"

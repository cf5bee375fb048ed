#!/bin/bash
# The Debian package: cpack builds masuvo_<version>_amd64.deb from the build
# folder (into a throw-away folder), and its control fields and file list are
# checked: the run-time libraries the programs link (found by dpkg-shlibdeps),
# the plugins and fonts they load without linking, everything installed under
# /usr/bin and /usr/share only, and the unpacked programs finding their data.
# Exit 77 (skipped) without cpack's Debian tools.
#
#   package_test.sh BUILD_FOLDER SOURCE_FOLDER
set -uo pipefail

build=$1
source=$2

for tool in cpack dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || { echo "package_test: $tool is not installed" >&2; exit 77; }
done
[ "$(dpkg --print-architecture)" = amd64 ] || { echo "package_test: not an amd64 machine" >&2; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "package_test: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed"; }

version=$(env -u DISPLAY "$build/ui/masuvo" --version | sed 's/^masuvo //')
deb="$work/out/masuvo_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$work/out" >&2; fail "no masuvo_${version}_amd64.deb"; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = masuvo ] || fail "package name"
[ "$(field Version)" = "$version" ] || fail "package version $(field Version), program $version"
[ "$(field Architecture)" = amd64 ] || fail "architecture"
[ "$(field Section)" = games ] || fail "section"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "maintainer or description missing"

# Depends: the packages whose libraries the programs link, and what they load
# at run time (Qt's xcb and TIFF plugins, the fonts).
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ *(.*//' | sort -u)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6multimedia6 libqt6printsupport6 \
    libopencv-core406 libopencv-imgproc406 libwebp7 libgif7 libpng16-16 \
    libgomp1 libstdc++6 libc6 qt6-qpa-plugins qt6-image-formats-plugins fonts-noto-cjk fonts-liberation; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package: $(field Depends)"
done
# No development package and no Qt 5 (the camera does without highgui).
# Nor OpenCV's codec and video modules, whose Debian builds bring GDAL,
# ffmpeg and a hundred more libraries: Qt decodes, Qt Multimedia films.
grep -E -- '-dev$|^libqt5|highgui|imgcodecs|videoio' <<<"$depends" && fail "Depends names a package it must not"

# The file list: under /usr/bin, /usr/libexec/masuvo and /usr/share only,
# the two programs and masuvo-cli's picture reader, the data and the
# desktop's files.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/files"
grep -vE '^/(usr/?|usr/bin/.*|usr/libexec/?|usr/libexec/masuvo/.*|usr/share/.*)?$' "$work/files" &&
    fail "files outside /usr/bin, /usr/libexec/masuvo and /usr/share"
[ "$(grep -c '^/usr/bin/.' "$work/files")" -eq 2 ] || fail "programs: $(grep '^/usr/bin/.' "$work/files" | tr '\n' ' ')"
for file in /usr/bin/masuvo /usr/bin/masuvo-cli /usr/libexec/masuvo/masuvo-recognize /usr/share/masuvo/Masuvo.dat /usr/share/masuvo/help/index.htm \
    /usr/share/applications/masuvo.desktop /usr/share/mime/packages/masuvo.xml \
    /usr/share/metainfo/io.github.vardelle.Masuvo.metainfo.xml /usr/share/icons/hicolor/48x48/apps/masuvo.png \
    /usr/share/icons/hicolor/scalable/apps/masuvo.svg /usr/share/man/man6/masuvo.6; do
    grep -qx "$file" "$work/files" || fail "$file is not in the package"
done
examples=$(find "$source/resources/例題" -name '*.kzd' | wc -l)
[ "$(grep -c '^/usr/share/masuvo/例題/.*\.kzd$' "$work/files")" -eq "$examples" ] || fail "not every example puzzle"
help_files=$(find "$source/resources/help" -type f | wc -l)
[ "$(grep -c '^/usr/share/masuvo/help/.*[^/]$' "$work/files")" -eq "$help_files" ] || fail "not every help file"
# The desktop's caches are rebuilt by the triggers of the packages that own
# them, so the package brings no maintainer scripts of its own.
dpkg-deb -I "$deb" >"$work/info"
grep -qE '^ *(postinst|postrm|preinst|prerm)' "$work/info" && fail "unexpected maintainer scripts"

# Unpacked, the programs are stripped and find their data from /usr/bin.
dpkg-deb -x "$deb" "$work/root"
for program in usr/bin/masuvo usr/libexec/masuvo/masuvo-window; do
    file "$work/root/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
photo="$source/tests/data/photos/opencv_sudoku"
read_board=$("$work/root/usr/bin/masuvo-cli" recognize "$photo.png") || fail "unpacked masuvo-cli found no model"
[ "$(cut -f2 <<<"$read_board" | tr '.' '0')" = "$(sed -n '3,11p' "$photo.dat" | tr -cd '0-9')" ] || fail "photo read as '$read_board'"

echo "package_test: $(basename "$deb"), $(stat -c %s "$deb") bytes; Depends: $(field Depends)"

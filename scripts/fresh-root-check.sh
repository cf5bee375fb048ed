#!/usr/bin/env bash
# The Debian package on a machine that has never seen the project: a fresh
# Debian 12 root made with debootstrap (minbase), the package installed into
# it with apt as a user would, then
#   - every library of the programs and of the Qt plugins they load resolved
#     from the package's dependencies alone (before any tool is added),
#   - masuvo --version, and masuvo-cli rating a puzzle and reading a photo
#     with the installed model,
#   - desktop-file-validate and appstreamcli validate on the installed files,
#   - the program started as a user under Xvfb on a puzzle file: its window
#     and no message box (a missing model or unreadable file would show one),
#     a screenshot, the example puzzles copied from /usr/share/masuvo,
#     ファイル > 終了 ending it with status 0,
#   - apt-get remove leaving none of the package's files behind.
# Needs root and the Debian archive over the network; takes some minutes, so
# it is not part of the test command.
#
#   scripts/fresh-root-check.sh [PACKAGE.deb] [SCREENSHOT.png]
# Without a package, the build folder's is made with cpack.
set -euo pipefail

if [ "${1:-}" = --inside ]; then
    # ---- Run inside the fresh root, as root. ----
    check=/tmp/check
    fail() {
        echo "fresh-root-check: $*" >&2
        exit 1
    }
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "$check/package.deb" >"$check/install.log" 2>&1 ||
        { tail -30 "$check/install.log" >&2; fail "apt-get install of the package failed"; }
    # What the package and its dependencies take on a bare system.
    echo "fresh-root-check: apt: $(grep -m1 'additional disk space' "$check/install.log" || echo 'no disk space figure')"
    # Only the package's dependencies are installed so far: nothing may be missing.
    missing=$( (ldd /usr/bin/masuvo /usr/libexec/masuvo/masuvo-window /usr/bin/masuvo-cli /usr/libexec/masuvo/masuvo-recognize
        find /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms /usr/lib/x86_64-linux-gnu/qt6/plugins/imageformats \
            -name '*.so' -exec ldd {} +) | grep 'not found' | sort -u || true)
    [ -z "$missing" ] || fail "libraries not found: $missing"
    # OpenCV's codec and video modules and what they bring stay off the machine.
    heavy=$(ldd /usr/bin/masuvo /usr/libexec/masuvo/masuvo-window /usr/bin/masuvo-cli /usr/libexec/masuvo/masuvo-recognize |
        grep -E 'libopencv_imgcodecs|libopencv_videoio|libgdal|libavcodec' || true)
    [ -z "$heavy" ] || fail "programs load $heavy"
    [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so ] || fail "no xcb platform plugin"
    [ "$(/usr/bin/masuvo --version)" = "masuvo $(dpkg-query -W -f '${Version}' masuvo)" ] || fail "masuvo --version"
    rating=$(masuvo-cli rate <"$check/puzzle.txt") || fail "masuvo-cli rate failed"
    [ "$(cut -f2 <<<"$rating")" = 1 ] || fail "rating '$rating'"
    read_board=$(masuvo-cli recognize "$check/photo.png") || fail "masuvo-cli found no model"
    [ "$(cut -f2 <<<"$read_board" | tr '.' '0')" = "$(cat "$check/photo.truth")" ] || fail "photo read as '$read_board'"

    # The tools of the checks below, added after the package's own run checks.
    apt-get install -y -q --no-install-recommends xvfb xdotool x11-apps desktop-file-utils appstream \
        >>"$check/install.log" 2>&1 || { tail -30 "$check/install.log" >&2; fail "installing the check tools failed"; }
    desktop-file-validate /usr/share/applications/masuvo.desktop || fail "desktop-file-validate"
    appstreamcli validate --no-net /usr/share/metainfo/io.github.vardelle.Masuvo.metainfo.xml || fail "appstreamcli validate"
    grep -qx 'application/x-masuvo-puzzle=masuvo.desktop;' /usr/share/applications/mimeinfo.cache ||
        fail "masuvo.desktop is not the handler of .kzd files (desktop database trigger)"
    grep -q 'application/x-masuvo-puzzle:\*\.kzd' /usr/share/mime/globs2 || fail "no *.kzd type (mime trigger)"

    # The program as a user starts it, from the desktop entry's Exec line.
    useradd -m player
    mkdir -p /home/player/パズル
    cp "$check/puzzle.kzd" "/home/player/パズル/朝の 問題.kzd"
    chown -R player: /home/player
    runuser -u player -- env -i PATH=/usr/bin:/bin HOME=/home/player LANG=C.UTF-8 bash "$0" --as-player
    data="/home/player/Documents/マスヴォ２"
    diff -r /usr/share/masuvo/例題 "$data/例題" >&2 || fail "examples not copied from /usr/share/masuvo"
    [ -s "$data/達成記録.csv" ] || fail "no record file"
    [ -f /home/player/.config/Vardelle/masuvo.conf ] || fail "settings not written"
    cp /home/player/screen.xwd "$check/screen.xwd"

    # Removed, it leaves none of its files.
    dpkg -L masuvo | while read -r path; do [ -f "$path" ] && echo "$path"; done >"$check/files"
    [ "$(wc -l <"$check/files")" -gt 20 ] || fail "dpkg -L masuvo lists too few files"
    apt-get remove -y -q masuvo >"$check/remove.log" 2>&1 || { cat "$check/remove.log" >&2; fail "apt-get remove"; }
    while read -r path; do [ -e "$path" ] && fail "$path left after removal"; done <"$check/files"
    grep -q 'application/x-masuvo-puzzle' /usr/share/applications/mimeinfo.cache 2>/dev/null &&
        fail "the desktop database still names masuvo after removal"
    echo "fresh-root-check: inside: $(wc -l <"$check/files") files installed and removed"
    exit 0
fi

if [ "${1:-}" = --as-player ]; then
    # ---- The user's session inside the fresh root. ----
    check=/tmp/check
    program=
    xvfb=
    trap '[ -n "$program" ] && kill "$program" 2>/dev/null; [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; true' EXIT
    fail() {
        echo "fresh-root-check: $*" >&2
        exit 1
    }
    export XDG_RUNTIME_DIR="$HOME/.run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # X tools are given a time limit: none of them may hang the check.
    x() { timeout 20 "$@"; }
    # The server writes its display number once it accepts clients.
    exec 3>"$HOME/display"
    Xvfb -displayfd 3 -screen 0 1400x1000x24 -nolisten tcp -noreset >"$HOME/xvfb.log" 2>&1 &
    xvfb=$!
    exec 3>&-
    for _ in $(seq 100); do [ -s "$HOME/display" ] && break; sleep 0.1; done
    [ -s "$HOME/display" ] || { cat "$HOME/xvfb.log" >&2; fail "Xvfb did not start"; }
    export DISPLAY=":$(head -1 "$HOME/display")"
    exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/masuvo.desktop)
    "${exec_line%% *}" "$HOME/パズル/朝の 問題.kzd" 2>"$HOME/stderr" &
    program=$!
    window=
    for _ in $(seq 600); do
        window=$(x xdotool search --onlyvisible --name '^マスヴォ$' 2>/dev/null | head -1 || true)
        [ -n "$window" ] && break
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$window" ] || { cat "$HOME/stderr" >&2; fail "no window appeared"; }
    sleep 2
    [ "$( (x xdotool search --onlyvisible --name '^マスヴォ$' || true) | wc -l)" -eq 1 ] || fail "a message box opened at start-up"
    x xwd -root -silent >"$HOME/screen.xwd" || fail "no screenshot"
    # ファイル > 終了: the menu opened by a click on its title, Up picks its last item.
    x xdotool mousemove --window "$window" 25 10 click 1
    sleep 0.7
    x xdotool key --delay 300 Up Return
    for _ in $(seq 300); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$program" 2>/dev/null && fail "the program did not end after ファイル > 終了"
    wait "$program" || { cat "$HOME/stderr" >&2; fail "the program ended with a failure"; }
    program=
    kill "$xvfb" 2>/dev/null || true
    exit 0
fi

# ---- On the host. ----
cd "$(dirname "$0")/.."
source=$PWD
[ "$(id -u)" -eq 0 ] || { echo "fresh-root-check.sh: run as root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y -q debootstrap >/dev/null
package=${1:-}
screenshot=${2:-}
work=$(mktemp -d /tmp/masuvo-fresh-root.XXXXXX)
root="$work/root"
cleanup() {
    for mount in dev/pts dev proc; do mountpoint -q "$root/$mount" 2>/dev/null && umount -l "$root/$mount"; done
    rm -rf "$work"
}
trap cleanup EXIT
if [ -z "$package" ]; then
    bash scripts/build.sh >/dev/null
    (cd build && cpack -G DEB -B "$work/out" >/dev/null)
    package=$(ls "$work"/out/masuvo_*_amd64.deb)
fi

echo "fresh-root-check: debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log" >&2; exit 1; }
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mkdir -p "$root/tmp/check"
cp "$package" "$root/tmp/check/package.deb"
cp "$0" "$root/tmp/check/fresh-root-check.sh"
head -1 "$source/tests/data/top95.txt" | cut -c1-81 >"$root/tmp/check/puzzle.txt"
cp "$source/tests/data/kzd/top95_1.kzd" "$root/tmp/check/puzzle.kzd"
cp "$source/tests/data/photos/opencv_sudoku.png" "$root/tmp/check/photo.png"
sed -n '3,11p' "$source/tests/data/photos/opencv_sudoku.dat" | tr -cd '0-9' >"$root/tmp/check/photo.truth"
chmod -R a+rX "$root/tmp/check"
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    bash /tmp/check/fresh-root-check.sh --inside
if [ -n "$screenshot" ]; then
    convert "xwd:$root/tmp/check/screen.xwd" "$screenshot" && echo "fresh-root-check: screenshot $screenshot"
fi
echo "fresh-root-check: $(basename "$package") installed, run and removed in a fresh Debian 12 root"

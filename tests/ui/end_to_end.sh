#!/bin/bash
# The real program end to end: started under a virtual X server with a puzzle
# file on its command line, it grabs its own window into a PNG file and quits
# (the MASUVO_SCREENSHOT run of CKenrowApp::Run). Checked afterwards: the
# picture, the data folder of a first start and the settings written at exit.
# Everything lives in a throw-away home folder.
#
#   end_to_end.sh PROGRAM TEST_DATA_FOLDER
set -euo pipefail

program=$1
data=$2

if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is not installed" >&2
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
unset QT_QPA_PLATFORM

fail() {
    echo "end_to_end: $*" >&2
    exit 1
}

MASUVO_SCREENSHOT="$work/window.png" timeout 120 \
    xvfb-run -a -s "-screen 0 1400x1000x24" "$program" "$data/kzd/top95_1.kzd" 2>"$work/stderr" ||
    { cat "$work/stderr" >&2; fail "the program did not end cleanly"; }

# A PNG whose width is that of the window at 100% (9·50 + 350 pixels) and
# whose height holds the client area (9·50 + 150) and a menu bar.
[ -s "$work/window.png" ] || fail "no screenshot"
[ "$(head -c 8 "$work/window.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "not a PNG file"
width=$((16#$(od -An -tx1 -j16 -N4 "$work/window.png" | tr -d ' \n')))
height=$((16#$(od -An -tx1 -j20 -N4 "$work/window.png" | tr -d ' \n')))
[ "$width" -eq 800 ] || fail "window width $width"
[ "$height" -gt 600 ] && [ "$height" -lt 660 ] || fail "window height $height"

# The puzzle is on the board: the same window without it holds less ink and
# compresses to a smaller file.
MASUVO_SCREENSHOT="$work/empty.png" timeout 120 \
    xvfb-run -a -s "-screen 0 1400x1000x24" "$program" 2>>"$work/stderr" ||
    { cat "$work/stderr" >&2; fail "the program without a file did not end cleanly"; }
[ "$(stat -c %s "$work/window.png")" -gt "$(stat -c %s "$work/empty.png")" ] || fail "the puzzle file was not shown"

documents="$work/Documents/マスヴォ２"
[ -d "$documents/完成問題" ] && [ -d "$documents/.tmp" ] || fail "data folders missing"
[ -s "$documents/達成記録.csv" ] || fail "record file missing"

settings="$XDG_CONFIG_HOME/Vardelle/$(basename "$program").conf"
[ -f "$settings" ] || fail "settings not written ($settings)"
for key in size font_size time_disp create_number create_rank create_symmetry difficult_number \
    difficult_rank difficult_symmetry hard_number hard_symmetry volume wood_pattern; do
    grep -q "^$key=" "$settings" || fail "setting $key not written"
done
grep -q '^size=50$' "$settings" || fail "board size not the default"
echo "end_to_end: ${width}x${height} screenshot, folders and settings in place"

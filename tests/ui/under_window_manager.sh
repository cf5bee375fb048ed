#!/bin/bash
# Runs a Qt program on a virtual 1280×800 X server with openbox as the window
# manager (decorations, placement, stacking and focus as on a desktop), in a
# throw-away home folder. Exit 77 (skipped) without xvfb-run or openbox.
#
#   under_window_manager.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
for tool in xvfb-run openbox xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed" >&2
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
# The program starts once openbox has taken the screen (it names itself on
# the root window then).
timeout 300 xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    openbox --sm-disable >"$HOME/openbox.log" 2>&1 &
    wm=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    status=0
    "$@" || status=$?
    kill "$wm" 2>/dev/null || true
    exit "$status"' window-manager "$@"

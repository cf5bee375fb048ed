#!/bin/bash
# Runs a Qt program on a virtual X server (the xcb platform, no window
# manager), in a throw-away home folder. Exit 77 (skipped) without xvfb-run.
#
#   under_xvfb.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is not installed" >&2
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
timeout 300 xvfb-run -a -s "-screen 0 1400x1000x24" "$@"

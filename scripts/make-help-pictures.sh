#!/usr/bin/env bash
# Draws the pictures of the help pages in resources/help/images and rewrites
# the figure and practice blocks of the technique pages: for every example
# and practice position the position of the puzzle sets in tests/data whose
# hint shows the technique with the shortest chain (digits of the solution
# added where that shortens it), rendered by the board painter with its hint
# overlay, walked through in numbered steps; then the main window and its
# dialogs, grabbed offscreen while a play goes on at a player's pace (about a
# minute and a half of real time). The history dialog is copied from
# docs/screenshots (it needs earlier records to show anything). The same sets
# give the same technique pictures; the window pictures can differ in a
# second of the clock.
#
# usage: scripts/make-help-pictures.sh [build folder]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
ninja -C "$build" masuvo-make-help-pictures
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
fi
"$build/resource_makers/masuvo-make-help-pictures" "$PWD"
cp docs/screenshots/history_dialog.png resources/help/images/screen_history.png

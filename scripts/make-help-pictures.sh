#!/usr/bin/env bash
# Draws the pictures of the help pages in resources/help/images and rewrites
# the figure blocks of the technique pages: for every technique the position
# of the puzzle sets in tests/data whose hint uses it with the shortest chain,
# rendered by the board painter with its hint overlay; then the main window
# and its dialogs, grabbed offscreen for the operation pages. The history
# dialog is copied from docs/screenshots (it needs earlier records to show
# anything). The same sets give the same technique pictures; the window
# pictures can differ in a second of the clock.
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
"$build/ui/masuvo-make-help-pictures" "$PWD"
cp docs/screenshots/history_dialog.png resources/help/images/screen_history.png

#!/usr/bin/env bash
# Writes the example puzzles of resources/例題: two created puzzles of every
# rank, the first point-symmetric, the second line-symmetric, saved as the
# program saves a freshly created puzzle. The numbers differ from the first
# ones a player is likely to try, so the examples are not what 問題自動作成
# gives on its defaults. The created puzzles do not depend on the machine or
# the thread count, so running this again writes the same files.
#
# usage: scripts/make-examples.sh [build folder]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
ninja -C "$build" masuvo-make-examples
out=resources/例題
rm -rf "$out"
"$build/resource_makers/masuvo-make-examples" "$out" 101:0 102:1

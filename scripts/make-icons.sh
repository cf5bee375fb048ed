#!/usr/bin/env bash
# Renders the application icon resources/icons/masuvo.svg into the PNG sizes
# the desktop's icon theme looks for (resources/icons/<size>/masuvo.png).
# The PNGs are kept in the repository, so a build needs no SVG renderer; run
# this again after changing the SVG. Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v rsvg-convert >/dev/null; then
  echo "make-icons.sh: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
  exit 1
fi

svg=resources/icons/masuvo.svg
small=$(mktemp --suffix=.svg)
trap 'rm -f "$small"' EXIT
# At 24 pixels and below the thin cell lines are less than a third of a pixel
# and only grey the blocks: those sizes show the blocks and digits alone.
python3 - "$svg" "$small" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
text, n = re.subn(r'\s*<g id="cell-lines".*?</g>', "", text, count=1, flags=re.S)
if n != 1:
    sys.exit("make-icons.sh: no cell-lines group in the SVG")
open(sys.argv[2], "w", encoding="utf-8").write(text)
PY

for size in 16 22 24 32 48 64 128 256; do
  source=$svg
  [ "$size" -le 24 ] && source=$small
  mkdir -p "resources/icons/$size"
  rsvg-convert --width "$size" --height "$size" --format png "$source" -o "resources/icons/$size/masuvo.png"
done
echo "make-icons.sh: resources/icons/{16,22,24,32,48,64,128,256}/masuvo.png"

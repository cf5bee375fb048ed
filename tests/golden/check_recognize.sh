#!/usr/bin/env bash
# The boards masuvo-cli recognize reads from the photos of tests/data/photos,
# compared with recognize-photos.txt. A deliberate change of recognition
# updates that file in the commit that says why.
#   check_recognize.sh path/to/masuvo-cli [--update]
set -uo pipefail
cli="$1"
here="$(cd "$(dirname "$0")" && pwd)"
expected="$here/recognize-photos.txt"
cd "$here/../data/photos" || exit 1
actual=$("$cli" recognize *.jpg *.png 2>/dev/null)
if [ "${2:-}" = "--update" ]; then
  printf '%s\n' "$actual" > "$expected"
  exit 0
fi
if ! diff -u "$expected" <(printf '%s\n' "$actual") >&2; then
  echo "golden mismatch: masuvo-cli recognize over tests/data/photos" >&2
  exit 1
fi

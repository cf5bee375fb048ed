#!/usr/bin/env bash
# Compares the command-line tool's output with the recorded golden outputs.
# Usage: check.sh path/to/masuvo-cli
set -uo pipefail
cli="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/sets.sh"
status=0
for case in "${golden_cases[@]}"; do
  command="${case%%:*}"
  set="${case#*:}"
  expected="$here/$command-$set.txt"
  if [ ! -f "$expected" ]; then
    echo "missing golden file $expected" >&2
    status=1
    continue
  fi
  if ! diff -u "$expected" <(golden_set "$set" | "$cli" "$command") > /tmp/golden-diff.$$ 2>&1; then
    echo "golden mismatch: $command over $set" >&2
    head -n 40 /tmp/golden-diff.$$ >&2
    status=1
  fi
done
rm -f /tmp/golden-diff.$$
exit $status

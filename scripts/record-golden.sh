#!/usr/bin/env bash
# Records the golden outputs of the command-line tool. Run only after a
# deliberate change of behaviour, and say why in the commit.
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${1:-build/cli/masuvo-cli}"
source tests/golden/sets.sh
for case in "${golden_cases[@]}"; do
  command="${case%%:*}"
  set="${case#*:}"
  golden_set "$set" | "$cli" "$command" > "tests/golden/$command-$set.txt"
  echo "recorded $command-$set" >&2
done

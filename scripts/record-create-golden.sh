#!/usr/bin/env bash
# Records the created puzzles of tests/golden/create_cases.sh. Run once; a
# deliberate change of the generator records them again, said in the commit.
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${1:-build/cli/masuvo-cli}"
source tests/golden/create_cases.sh
out=tests/golden/create.txt
: > "$out"
create_cases | while read -r rank number symmetry; do
  line=$("$cli" create --number "$number" --rank "$rank" --symmetry "$symmetry" 2>/dev/null | cut -f1,2)
  printf '%s\t%s\t%s\t%s\n' "$rank" "$number" "$symmetry" "$line" >> "$out"
  echo "recorded rank $rank number $number symmetry $symmetry" >&2
done

#!/usr/bin/env bash
# Compares created puzzles with the recorded ones.
# Usage: check_create.sh path/to/masuvo-cli [quick|all]
set -uo pipefail
cli="$1"
which="${2:-quick}"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/create_cases.sh"
status=0
while IFS=$'\t' read -r rank number symmetry puzzle name; do
  if [ "$which" = quick ] && ! is_quick_case "$rank" "$number"; then continue; fi
  got=$("$cli" create --number "$number" --rank "$rank" --symmetry "$symmetry" 2>/dev/null | cut -f1,2)
  if [ "$got" != "$puzzle"$'\t'"$name" ]; then
    echo "create mismatch: rank $rank number $number symmetry $symmetry" >&2
    echo "  expected $puzzle $name" >&2
    echo "  got      $got" >&2
    status=1
  fi
done < "$here/create.txt"
exit $status

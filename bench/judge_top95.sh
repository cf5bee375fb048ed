#!/usr/bin/env bash
# masuvo-cli judge over top95, each puzzle played along its solution (every
# empty cell in row-major order, one line per puzzle): the time per judged
# move, the fastest of a few runs of the whole set.
# Usage: bench/judge_top95.sh path/to/masuvo-cli [runs]
# Run it with OMP_NUM_THREADS=1 for one core.
set -euo pipefail
cli="$1"
runs="${2:-3}"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# puzzle<TAB>row,col,digit;... with the digits of the solution.
"$cli" count < "$here/../tests/data/top95.txt" | awk -F'\t' '$2 == 1 {
  moves = ""
  for (k = 0; k < 81; ++k) {
    if (substr($1, k + 1, 1) != ".") continue
    moves = moves (moves == "" ? "" : ";") int(k / 9) "," (k % 9) "," substr($3, k + 1, 1)
  }
  print $1 "\t" moves
}' > "$work/plays.txt"

best=""
for ((run = 0; run < runs; ++run)); do
  start=$(date +%s%N)
  "$cli" judge "$work/plays.txt" > "$work/judged.txt"
  end=$(date +%s%N)
  took=$(( (end - start) / 1000 ))
  if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
done
moves=$(wc -l < "$work/judged.txt")
puzzles=$(wc -l < "$work/plays.txt")
awk -v us="$best" -v moves="$moves" -v puzzles="$puzzles" 'BEGIN {
  printf "%d puzzles, %d judged moves, fastest run %.3f s: %.3f ms per move\n", puzzles, moves, us / 1e6, us / 1e3 / moves
}'
# How the moves were judged.
cut -f3 "$work/judged.txt" | awk '{ if ($0 == "不明です。" || $0 == "推定できません。") n[$0]++; else n["a chain"]++ }
  END { for (k in n) printf "  %s: %d\n", k, n[k] }'

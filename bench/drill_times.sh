#!/usr/bin/env bash
# Drill creation time per technique: masuvo-cli drill for every technique and
# drill numbers FIRST..LAST with two threads; prints each time, then per
# technique the median and the slowest, slowest technique first.
# Usage: bench/drill_times.sh path/to/masuvo-cli [FIRST LAST]
set -uo pipefail
cli="$1"
first="${2:-1}"
last="${3:-5}"
times=$(mktemp)
trap 'rm -f "$times"' EXIT
for t in $(seq 0 29); do
  for n in $(seq "$first" "$last"); do
    start=$(date +%s.%N)
    if "$cli" drill --technique "$t" --number "$n" --threads 2 >/dev/null 2>&1; then result=ok; else result=failed; fi
    end=$(date +%s.%N)
    seconds=$(echo "$end - $start" | bc)
    printf '%d\t%d\t%.2f\t%s\n' "$t" "$n" "$seconds" "$result" | tee -a "$times"
  done
done
echo "technique	median s	slowest s	failed"
sort -k1,1n -k3,3n "$times" | awk -F'\t' '
  { t = $1; v[t, ++c[t]] = $3; if ($4 != "ok") f[t]++ }
  END { for (t in c) { m = int((c[t] + 1) / 2); printf "%s\t%.2f\t%.2f\t%d\n", t, v[t, m], v[t, c[t]], f[t] + 0 } }' |
  sort -t$'\t' -k2,2nr

#!/usr/bin/env bash
# Drill creation time per technique, and the whole set's soundness check:
# masuvo-cli drill for every technique and drill numbers FIRST..LAST with two
# threads. Each drill printed is checked as the drill test checks it (one
# solution, the hint on the position places the answer, the technique among
# the needed steps). Prints each time, then per technique the median and the
# slowest, slowest technique first. CAP seconds (default none) stop a drill.
# A drill is "capped" when the cap stopped it, "none" when the search ended
# without one (at once for the tabled numbers of the rare techniques), and
# "unsound" when it fails the check; all three count as failed.
# Usage: bench/drill_times.sh path/to/masuvo-cli [FIRST LAST [CAP]]
set -uo pipefail
cli="$1"
first="${2:-1}"
last="${3:-5}"
cap="${4:-0}"
times=$(mktemp)
trap 'rm -f "$times"' EXIT
sound() {  # technique, the drill's line
  local position answer texts indices
  IFS=$'\t' read -r position answer texts indices <<<"$2"
  [ ${#position} -eq 81 ] && [[ ",$indices," == *",$1,"* ]] || return 1
  [ "$(printf '%s\n' "$position" | "$cli" count | cut -f2)" = 1 ] || return 1
  local hint
  hint=$(printf '%s\n' "$position" | "$cli" hint)
  [ "$(printf '%s' "$hint" | cut -f3)" = "$answer" ] && [[ ",$(printf '%s' "$hint" | cut -f5)," == *",$1,"* ]]
}
for t in $(seq 0 29); do
  for n in $(seq "$first" "$last"); do
    start=$(date +%s.%N)
    if [ "$cap" != 0 ]; then
      out=$(timeout "$cap" "$cli" drill --technique "$t" --number "$n" --threads 2 2>/dev/null)
    else
      out=$("$cli" drill --technique "$t" --number "$n" --threads 2 2>/dev/null)
    fi
    rc=$?
    end=$(date +%s.%N)
    if [ $rc -eq 124 ]; then result=capped; elif [ $rc -ne 0 ]; then result=none; elif sound "$t" "$out"; then result=ok; else result=unsound; fi
    seconds=$(echo "$end - $start" | bc)
    printf '%d\t%d\t%.2f\t%s\n' "$t" "$n" "$seconds" "$result" | tee -a "$times"
  done
done
echo "technique	median s	slowest s	failed"
sort -k1,1n -k3,3n "$times" | awk -F'\t' '
  { t = $1; v[t, ++c[t]] = $3; if ($4 != "ok") f[t]++ }
  END { for (t in c) { m = int((c[t] + 1) / 2); printf "%s\t%.2f\t%.2f\t%d\n", t, v[t, m], v[t, c[t]], f[t] + 0 } }' |
  sort -t$'\t' -k2,2nr

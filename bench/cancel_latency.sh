#!/usr/bin/env bash
# How long a creation takes to stop after it is cancelled: masuvo-cli create
# is interrupted (SIGINT, the same cancel flag the creation dialogs set) a
# second into its search, and the time from the signal to the program's exit
# is measured. Prints each run and the median per rank.
#
#   bash bench/cancel_latency.sh [MASUVO_CLI] [RUNS]
set -euo pipefail
cli="${1:-build/cli/masuvo-cli}"
runs="${2:-5}"
for rank in 4 5 6 7 8 9; do
  times=()
  for number in $(seq 1 "$runs"); do
    "$cli" create --number "$((number + 100))" --rank "$rank" --symmetry 0 --threads 2 >/dev/null 2>&1 &
    pid=$!
    sleep 1
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid" || true; continue; fi  # found within the second
    t0=$(date +%s%N)
    kill -INT "$pid"
    wait "$pid" || true
    t1=$(date +%s%N)
    times+=($(( (t1 - t0) / 1000000 )))
  done
  if [ ${#times[@]} -eq 0 ]; then echo "rank $rank: every run found its puzzle within a second"; continue; fi
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "rank $rank: ${times[*]} ms, median $median ms"
done

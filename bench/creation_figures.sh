#!/usr/bin/env bash
# Creation figures: for every rank, numbers 1..N with point symmetry, the
# accepted iteration and the wall time; then unsolvable creation.
# Usage: bench/creation_figures.sh [cli] [numbers] [threads] > figures.tsv
set -uo pipefail
cli="${1:-build/cli/masuvo-cli}"
numbers="${2:-5}"
threads="${3:-2}"
elapsed() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.2f", e - s }'; }
iteration() { grep -o 'found at iteration [0-9]*' "$1" | grep -o '[0-9]*$' || echo -; }
err=$(mktemp)
printf 'kind\trank\tnumber\titeration\tseconds\tpuzzle\n'
for rank in 0 1 2 3 4 5 6 7 8 9; do
  for number in $(seq 1 "$numbers"); do
    start=$(date +%s.%N)
    out=$("$cli" create --number "$number" --rank "$rank" --symmetry 0 --threads "$threads" 2>"$err")
    end=$(date +%s.%N)
    printf 'rated\t%s\t%s\t%s\t%s\t%s\n' "$rank" "$number" "$(iteration "$err")" "$(elapsed "$start" "$end")" "$(printf '%s' "$out" | cut -f1)"
  done
done
for number in $(seq 1 3); do
  start=$(date +%s.%N)
  out=$("$cli" unsolvable --number "$number" --symmetry 0 --threads "$threads" 2>"$err")
  end=$(date +%s.%N)
  printf 'unsolvable\t-\t%s\t%s\t%s\t%s\n' "$number" "$(iteration "$err")" "$(elapsed "$start" "$end")" "$(printf '%s' "$out" | cut -f1)"
done
rm -f "$err"

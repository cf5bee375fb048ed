# The puzzle sets of the golden outputs: name, then the command that prints its puzzles.
# Sourced by check.sh and scripts/record-golden.sh.
data="$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)"

golden_set() {
  case "$1" in
    top95) cat "$data/top95.txt" ;;
    hardest11) cat "$data/hardest11.txt" ;;
    graded500) sed -n "2,501p" "$data/graded_5000.csv" | cut -c1-81 ;;
    se300) sed -n "2,301p" "$data/se_rated_sample2000.tsv" | cut -c1-81 ;;
  esac
}

# command:set pairs that are recorded.
golden_cases=(
  count:top95 count:hardest11 count:graded500
  rate:top95 rate:hardest11 rate:graded500 rate:se300
  log:top95 log:hardest11 log:graded500 log:se300
  hint:top95 hint:hardest11 hint:graded500
)

#!/usr/bin/env bash
# Bad lines are reported on standard error with a non-zero exit status, and
# the good lines around them are still processed.
set -uo pipefail
cli="$1"
good="4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......"
input=$(printf '%s\n' "# a comment" "" "not a puzzle" "${good}" "${good:0:80}" "x${good:1}" "${good}trailing text")
fail() { echo "FAIL: $*" >&2; exit 1; }

for command in count rate log hint; do
  out=$(printf '%s\n' "$input" | "$cli" "$command" 2>/tmp/cli-err.$$)
  status=$?
  [ "$status" -ne 0 ] || fail "$command: exit status 0 despite bad lines"
  [ "$(grep -c 'not a puzzle' /tmp/cli-err.$$)" -eq 3 ] || fail "$command: expected three bad-line messages, got: $(cat /tmp/cli-err.$$)"
  grep -q '^line 3:' /tmp/cli-err.$$ || fail "$command: message does not name line 3"
  [ "$(printf '%s\n' "$out" | grep -c "$good")" -eq 2 ] || fail "$command: the two good lines were not both processed"
done

out=$(printf '%s\n' "$good" | "$cli" count) || fail "count: good input gave a non-zero status"
[ "$(printf '%s' "$out" | cut -f2)" = "1" ] || fail "count: expected one solution"
"$cli" nonsense </dev/null 2>/dev/null && fail "an unknown command succeeded"
rm -f /tmp/cli-err.$$
echo ok

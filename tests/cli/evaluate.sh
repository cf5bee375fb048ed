#!/usr/bin/env bash
# evaluate: a report line per readable file, the message of each unreadable one
# on standard error, the others still evaluated, and a non-zero status.
set -uo pipefail
cli="$1"
data="$(cd "$(dirname "$0")/../data/kzd" && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$cli" evaluate "$data/not_a_puzzle.kzd" "$data/top95_1.kzd" /nonexistent/x.kzd "$data/例題_基本.kzd" 2>/tmp/eval-err.$$)
status=$?
[ "$status" -ne 0 ] || fail "exit status 0 despite unreadable files"
grep -q 'not_a_puzzle.kzd: ファイルを読込めません。' /tmp/eval-err.$$ || fail "no message for the malformed file"
grep -q '/nonexistent/x.kzd: 読込ファイルをオープンできません。：' /tmp/eval-err.$$ || fail "no message for the missing file"
# Unreadable files keep their number in the list; titles are padded to the widest.
printf '%s\n' "$out" | grep -qx '  1  not_a_puzzle  ファイルを読込めません。' || fail "unreadable file not listed: $(printf '%s\n' "$out" | head -2)"
printf '%s\n' "$out" | grep -qx '  2  top95_1       状態：単解　可解  　　難易度：  5,420　　超絶難問  ' || fail "line of the first readable file: $(printf '%s\n' "$out" | head -2)"
printf '%s\n' "$out" | grep -qx '  3  x             ファイルを読込めません。' || fail "missing file not listed"
printf '%s\n' "$out" | grep -q '^  4  例題_基本     状態：単解　可解' || fail "second readable file missing"
printf '%s\n' "$out" | grep -q '^● 解法合計 全体\[2\]$' || fail "overall total missing"

"$cli" evaluate "$data/top95_1.kzd" >/dev/null || fail "a readable file alone gave a non-zero status"
rm -f /tmp/eval-err.$$
echo ok

#!/usr/bin/env bash
# create and unsolvable: a quick creation, bad options refused, and Ctrl+C
# (SIGINT) ending a long search cleanly with its own exit status.
set -uo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$cli" create --number 1 --rank 0 --symmetry 0 2>/dev/null) || fail "rank 0 number 1 was not created"
[ "$(printf '%s' "$out" | cut -f2)" = "自動作成(基本)[点対称]_1" ] || fail "name: $out"

"$cli" create --number 1 --rank 1 --technique ライン内の配置 --threads 2 2>/dev/null | cut -f2 \
  | grep -qx '自動作成(初級・ライン内の配置)\[点対称\]_1' || fail "technique by name"
# A technique the rank can never need is refused at once, naming the ranks that can.
err=$("$cli" create --rank 2 --technique 19 2>&1 >/dev/null); status=$?
[ $status -eq 2 ] || fail "rank 2 with 対角線 ended with status $status"
printf '%s' "$err" | grep -q 'ranks that can: 4, 5, 6, 7, 8, 9' || fail "refusal message: $err"

for args in "--technique 30" "--technique 対角" "--rank 10" "--symmetry 3" "--number x" "--bogus 1" "--number"; do
  "$cli" create $args >/dev/null 2>&1
  [ $? -eq 2 ] || fail "create $args was not refused"
done
"$cli" unsolvable --rank 1 >/dev/null 2>&1
[ $? -eq 2 ] || fail "unsolvable accepted a rank"
"$cli" unsolvable --technique 3 >/dev/null 2>&1
[ $? -eq 2 ] || fail "unsolvable accepted a technique"

# Rank 9 number 3 searches for seconds; an interrupt after a moment cancels it.
timeout --preserve-status -s INT 1 "$cli" create --number 3 --rank 9 --symmetry 0 >/tmp/create-out.$$ 2>/tmp/create-err.$$
status=$?
[ "$status" -eq 130 ] || fail "interrupted search ended with status $status"
grep -q 'masuvo-cli: cancelled' /tmp/create-err.$$ || fail "no cancel message"
[ ! -s /tmp/create-out.$$ ] || fail "a cancelled search printed a puzzle"
rm -f /tmp/create-out.$$ /tmp/create-err.$$
echo ok

#!/usr/bin/env bash
# drill: a drill printed as position, answer, texts and techniques; the same
# drill by index and by name; bad options refused.
set -uo pipefail
cli="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$cli" drill --technique 5 --number 1 --threads 2 2>/dev/null) || fail "drill 5/1 was not created"
IFS=$'\t' read -r position answer texts indices <<<"$out"
[ ${#position} -eq 81 ] || fail "position: $position"
[[ "$answer" =~ ^[0-8],[0-8],[1-9]$ ]] || fail "answer: $answer"
[[ ",$indices," == *",5,"* ]] || fail "techniques: $indices"
[[ "$texts" == *"隠れた数字"* ]] || fail "texts: $texts"
# The hint on the position places the answer.
hint=$(printf '%s\n' "$position" | "$cli" hint)
[ "$(printf '%s' "$hint" | cut -f3)" = "$answer" ] || fail "hint: $hint"
by_name=$("$cli" drill --technique 隠れた数字 --number 1 --threads 1 2>/dev/null)
[ "$by_name" = "$out" ] || fail "by name with one thread: $by_name"

for args in "" "--technique 30" "--technique 5 --number x" "--technique 5 --bogus 1" "--technique"; do
  "$cli" drill $args >/dev/null 2>&1
  [ $? -eq 2 ] || fail "drill $args was not refused"
done
echo ok

#!/usr/bin/env bash
# judge: moves typed while solving, each judged as the window judges it
# (a chain's texts, points and techniques; 不明です。 against the only
# solution; 推定できません。 when no chain derives it), refused keystrokes
# and bad lines reported on standard error with their line, from standard
# input and from files.
set -uo pipefail
cli="$1"
here="$(cd "$(dirname "$0")" && pwd)"
input="$here/judge_input.txt"
expected="$here/judge_expected.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cli" judge < "$input" > "$work/out" 2> "$work/err"
status=$?
diff -u "$expected" "$work/out" || fail "standard input: output differs from judge_expected.txt"
[ "$status" -eq 1 ] || fail "bad lines and refused moves gave exit status $status"
cat > "$work/messages" <<'END'
line 2, move 5 (0,2,7): not judged, the cell already holds that digit
line 5, move 3 (8,8,8): not judged, the puzzle was already complete
line 7: expected a puzzle, a tab and moves
line 8: not a puzzle
line 9, move 1: not a move row,col,digit
line 10, move 2 (0,0,4): the cell holds a given digit
line 11, move 1: not a move row,col,digit
END
[ "$(wc -l < "$work/err")" -eq 7 ] || fail "expected seven messages, got: $(cat "$work/err")"
while IFS= read -r message; do
  grep -qF "$message" "$work/err" || fail "no message '$message' in: $(cat "$work/err")"
done < "$work/messages"

# A move's points are the difficulty weights of its techniques (no hint, no
# candidates); the two texts without a chain score nothing.
awk -F'\t' '
  BEGIN { split("10 20 30 60 300 240 360 600 900 1200 720 1080 1440 1200 1800 2400 1440 2160 2880 1800 1800 3600 4800 3600 4800 6000 5400 3600 4800 6000", w, " ") }
  {
    sum = 0
    if ($5 != "-") { n = split($5, t, ","); for (i = 1; i <= n; ++i) sum += w[t[i] + 1] }
    if ($4 != sum) { print "points " $4 " but techniques " $5 " weigh " sum; bad = 1 }
    if (($3 == "不明です。" || $3 == "推定できません。") != ($5 == "-")) { print "text and techniques disagree: " $0; bad = 1 }
  }
  END { exit bad }' "$work/out" || fail "points do not match the techniques"

# Files in turn; a missing one is reported and the others are judged.
cp "$input" "$work/plays.txt"
"$cli" judge "$work/plays.txt" "$work/missing.txt" > "$work/out2" 2> "$work/err2"
[ $? -eq 1 ] || fail "a missing file did not give exit status 1"
diff -u "$expected" "$work/out2" || fail "file argument: output differs"
grep -qF "cannot read $work/missing.txt" "$work/err2" || fail "no message for the missing file: $(cat "$work/err2")"
grep -qF "$work/plays.txt: line 10, move 2 (0,0,4): the cell holds a given digit" "$work/err2" ||
  fail "file messages do not name the file and line: $(cat "$work/err2")"

# Only good lines: exit status 0 and nothing on standard error.
sed -n '4p;6p' "$input" > "$work/good.txt"
"$cli" judge "$work/good.txt" > "$work/out3" 2> "$work/err3" || fail "good lines gave a non-zero exit status"
[ ! -s "$work/err3" ] || fail "good lines gave messages: $(cat "$work/err3")"
[ "$(wc -l < "$work/out3")" -eq 4 ] || fail "expected four judged moves, got $(cat "$work/out3")"
# A line without an end is held only so far; control bytes are quoted as "?".
{ printf '%s\t\033[2J' "$(sed -n 2p "$input" | cut -f1)"; head -c 20000 /dev/zero | tr '\0' ';'; } |
  "$cli" judge > "$work/out4" 2> "$work/err4"
[ $? -eq 1 ] || fail "an endless line was not refused"
grep -q '^line 1: longer than' "$work/err4" || fail "no message for the endless line: $(cat "$work/err4")"
if grep -q $'\033' "$work/err4"; then fail "a control byte reached the message"; fi
[ ! -s "$work/out4" ] || fail "an endless line was judged"
echo ok

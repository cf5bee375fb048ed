#!/usr/bin/env bash
# profile: thirty tab-separated rows from the finished copies and the practice
# record, the data folder's by default; skipped files and record lines counted
# on standard error; a missing folder and bad options refused.
set -uo pipefail
cli="$1"
data="$(cd "$(dirname "$0")/../data" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/empty" "$work/home/Documents/マスヴォ２/完成問題" "$work/mixed"
cp "$data/kzd/top95_1.kzd" "$data/kzd/not_a_puzzle.kzd" "$work/mixed/"
{ printf '日時,解法,番号,秒数,ヒント,詳細,ヒント実行,正解,想定秒数\r\n' | iconv -f UTF-8 -t CP932
  printf '2026/12/03 07:00:00,19,1,30,0,0,0,1,60\r\nbroken\r\n'; } >"$work/record.csv"

"$cli" profile "$work/empty" >"$work/out" 2>"$work/err" || fail "status $? for an empty folder"
[ "$(wc -l <"$work/out")" -eq 30 ] || fail "expected 30 rows"
[ "$(cut -f6 "$work/out" | sort -u)" = "未経験" ] || fail "an empty folder should leave every technique 未経験"
[ "$(head -1 "$work/out")" = $'0\tブロックの完成\t0\t0\t-\t未経験\t0' ] || fail "first row: $(head -1 "$work/out")"

"$cli" profile --record "$work/record.csv" "$work/mixed" "$work/empty" >"$work/out" 2>"$work/err" ||
    fail "status $? for a folder with a foreign file"
grep -qxF $'19\t対角線\t0\t0\t-\t2026/12/03\t1' "$work/out" || fail "the drill's box: $(sed -n 20p "$work/out")"
grep -q "1 file(s) skipped" "$work/err" || fail "the foreign file is not counted: $(cat "$work/err")"
grep -q "1 unreadable line(s) skipped" "$work/err" || fail "the broken record line is not counted: $(cat "$work/err")"

# The data folder's finished copies and record by default.
cp "$work/record.csv" "$work/home/Documents/マスヴォ２/練習記録.csv"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$cli" profile >"$work/out" 2>"$work/err" ||
    fail "status $? for the default folder: $(cat "$work/err")"
grep -qxF $'19\t対角線\t0\t0\t-\t2026/12/03\t1' "$work/out" || fail "the default record is not read"

"$cli" profile "$work/missing" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "a missing folder should give status 1"
grep -q "not a folder" "$work/err" || fail "no message for a missing folder"
for args in "--bogus" "--record" "--record ''"; do
    eval "\"$cli\" profile $args" >/dev/null 2>&1
    [ $? -eq 2 ] || fail "'$args' should give status 2"
done
echo "profile: ok"

#!/usr/bin/env bash
# stats: seventeen pages separated by form-feed lines, LF line ends, the
# record file of the data folder by default, and a message with status 1 for
# a file that cannot be read.
set -uo pipefail
cli="$1"
fixture="$(cd "$(dirname "$0")/../data/records" && pwd)/history.csv"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
has_line() { grep -qxF -- "$2" "$1" || fail "missing line '$2' in $1"; }

"$cli" stats "$fixture" >"$work/out" 2>"$work/err" || fail "status $? for a readable file: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "unexpected messages: $(cat "$work/err")"
[ "$(grep -c $'^\f$' "$work/out")" -eq 16 ] || fail "expected 16 form-feed lines, got $(grep -c $'^\f$' "$work/out")"
[ "$(grep -c '^\* 履歴統計　　' "$work/out")" -eq 17 ] || fail "expected 17 page headers"
! grep -q $'\r' "$work/out" || fail "carriage returns left in the output"
! grep -q $'\f.' "$work/out" || fail "a form feed shares its line with text"
head -c 71 "$work/out" | grep -qx '\*\{70\}' || fail "the report does not start with the header"
today=$(date +%Y.%m.%d)
grep -q "^\* 履歴統計　　$today\$" "$work/out" || grep -q "^\* 履歴統計　　$(date -d yesterday +%Y.%m.%d)\$" "$work/out" ||
    fail "header without today's date: $(sed -n 3p "$work/out")"

# Page 1: the ranks; the 神 record, the deleted one and the shifted one are not in them.
has_line "$work/out" '◆ 階級 **************************************************************'
has_line "$work/out" '基本      :       2|--'
has_line "$work/out" '究極激難問:  100:00|--------------------------------------'
has_line "$work/out" '初級      : -20.0％|'
# Page 9: every record by month, across the year end, in file order.
has_line "$work/out" '◆ 推移(全体　　　) **************************************************'
awk '/^◆ 推移\(全体/{on=1} on&&/^○問題数$/{getline a; getline b; getline c; print a; print b; print c; exit}' \
    "$work/out" >"$work/counts"
printf '%s\n' '2024.12   :       2|--' '2025.01   :       3|---' '2025.02   :       1|-' | diff - "$work/counts" ||
    fail "month counts of the overall page"
# Page 17: the techniques of every record, the 神 record's among them.
has_line "$work/out" '陰の定員確定2(ブロック) :        3         4'
has_line "$work/out" '二択連鎖9               :        1         1'
[ "$(grep -c '^二択連鎖9               :        0         0$' "$work/out")" -eq 7 ] ||
    fail "the seven rank pages should not count the 神 record"

# The default file: <Documents>/マスヴォ２/達成記録.csv, Documents from user-dirs.dirs or ~/Documents.
home="$work/home"
mkdir -p "$home/Documents/マスヴォ２"
cp "$fixture" "$home/Documents/マスヴォ２/達成記録.csv"
env -u XDG_CONFIG_HOME HOME="$home" "$cli" stats >"$work/default" 2>"$work/err" ||
    fail "default path: status $?: $(cat "$work/err")"
cmp -s "$work/out" "$work/default" || fail "the default file gave another report"

mkdir -p "$home/.config" "$home/書類/マスヴォ２"
printf '# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR="$HOME/Desktop"\nXDG_DOCUMENTS_DIR="$HOME/書類/"\n' \
    >"$home/.config/user-dirs.dirs"
env -u XDG_CONFIG_HOME HOME="$home" "$cli" stats >/dev/null 2>"$work/err" && fail "user-dirs.dirs was ignored"
grep -qxF "masuvo-cli: $home/書類/マスヴォ２/達成記録.csv: No such file or directory" "$work/err" ||
    fail "message for the missing default file: $(cat "$work/err")"
cp "$fixture" "$home/書類/マスヴォ２/達成記録.csv"
env -u XDG_CONFIG_HOME HOME="$home" "$cli" stats >"$work/default" || fail "Documents from user-dirs.dirs"
cmp -s "$work/out" "$work/default" || fail "the user-dirs.dirs file gave another report"

# XDG_CONFIG_HOME elsewhere, with an absolute folder.
mkdir -p "$work/config" "$work/docs/マスヴォ２"
printf 'XDG_DOCUMENTS_DIR="%s/docs"\n' "$work" >"$work/config/user-dirs.dirs"
cp "$fixture" "$work/docs/マスヴォ２/達成記録.csv"
XDG_CONFIG_HOME="$work/config" HOME="$home" "$cli" stats >"$work/default" || fail "XDG_CONFIG_HOME was ignored"
cmp -s "$work/out" "$work/default" || fail "the XDG_CONFIG_HOME file gave another report"

# Files that cannot be read: a message, status 1, no report.
"$cli" stats "$work/missing.csv" >"$work/none" 2>"$work/err"
[ $? -eq 1 ] || fail "status for a missing file"
[ ! -s "$work/none" ] || fail "a report for a missing file"
grep -qxF "masuvo-cli: $work/missing.csv: No such file or directory" "$work/err" || fail "message: $(cat "$work/err")"
"$cli" stats "$work" >"$work/none" 2>"$work/err"
[ $? -eq 1 ] || fail "status for a folder"
grep -qxF "masuvo-cli: $work: Is a directory" "$work/err" || fail "message for a folder: $(cat "$work/err")"

# Wrong arguments: usage and status 2.
for args in "$fixture $fixture" "--full"; do
    # shellcheck disable=SC2086
    "$cli" stats $args >"$work/none" 2>"$work/err"
    [ $? -eq 2 ] || fail "status for arguments '$args'"
    grep -q 'usage: masuvo-cli stats \[FILE\]' "$work/err" || fail "no usage for arguments '$args'"
    [ ! -s "$work/none" ] || fail "output for arguments '$args'"
done
"$cli" stats -- "$fixture" | cmp -s - "$work/out" || fail "a file after -- is read"
echo ok

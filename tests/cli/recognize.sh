#!/usr/bin/env bash
# masuvo-cli recognize: the model found beside the program or in the
# installed share folder, refused models, unreadable pictures next to good
# ones, and the 17-digit rule on drawn grids.
set -uo pipefail
cli="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A model that reads every inked cell as 4 (only the bias of output 3 set),
# and a shortened copy of it.
python3 - "$dir" <<'PY'
import struct, sys
d = sys.argv[1]
values = [0.0] * 79409
values[79400 + 3] = 2.0
with open(d + "/reads4.dat", "wb") as f:
    f.write(struct.pack("<79409d", *values))
with open(d + "/short.dat", "wb") as f:
    f.write(struct.pack("<79408d", *values[:-1]))
values[5] = float("nan")
with open(d + "/nan.dat", "wb") as f:
    f.write(struct.pack("<79409d", *values))

# Grey pictures (binary PGM) of a 360-pixel grid on a 400-pixel page with a
# block of ink in each listed cell.
# shift moves the grid up and left, so that it may run out of the picture.
def picture(name, cells, size=(400, 400), shift=0):
    w, h = size
    px = bytearray([255]) * (w * h)
    def fill(x0, y0, x1, y1):
        x0, y0, x1, y1 = max(0, x0 - shift), max(0, y0 - shift), min(w, x1 - shift), min(h, y1 - shift)
        if x1 <= x0:
            return
        for y in range(y0, y1):
            px[y * w + x0:y * w + x1] = bytes(x1 - x0)
    for k in range(10 if cells is not None else 0):
        at = 20 + k * 40
        t = 2 if k % 3 == 0 else 1
        fill(at - t, 20 - t, at + t, 380 + t)
        fill(20 - t, at - t, 380 + t, at + t)
    for cell in cells or []:
        x, y = 20 + cell % 9 * 40, 20 + cell // 9 * 40
        fill(x + 14, y + 10, x + 26, y + 30)
    with open(d + "/" + name, "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (w, h) + bytes(px))
picture("seventeen.pgm", [c * 4 % 81 for c in range(17)])
picture("sixteen.pgm", [c * 4 % 81 for c in range(16)])
picture("blank.pgm", [])
picture("wide.pgm", None, (600, 300))
picture("cut.pgm", [c * 4 % 81 for c in range(40)], shift=50)
board = ["."] * 81
for c in range(17):
    board[c * 4 % 81] = "4"
open(d + "/expected17", "w").write("".join(board))
# Seventeen 4s break the rules and the test model gives every cell an even
# doubt, so every inked cell is listed as doubtful (row,col, 0-based).
open(d + "/doubtful17", "w").write(";".join("%d,%d" % divmod(c, 9) for c in sorted(c * 4 % 81 for c in range(17))))
PY
[ -f "$dir/reads4.dat" ] || fail "could not write the test model"
expected=$(cat "$dir/expected17")
doubtful=$(cat "$dir/doubtful17")
printf 'not a picture\n' > "$dir/text.png"

# A good picture between unreadable ones: every picture gets its line in
# order, the reasons go to standard error, the status says not all were read.
out=$("$cli" recognize --model "$dir/reads4.dat" "$dir/missing.png" "$dir/seventeen.pgm" "$dir/text.png" "$dir" \
        "$dir/sixteen.pgm" "$dir/blank.pgm" "$dir/wide.pgm" 2>"$dir/err")
status=$?
[ "$status" -eq 1 ] || fail "status $status for a run with unreadable pictures"
want=$(printf '%s\t-\t-\n%s\t%s\t%s\n%s\t-\t-\n%s\t-\t-\n%s\t-\t-\n%s\t-\t-\n%s\t-\t-' "$dir/missing.png" "$dir/seventeen.pgm" "$expected" "$doubtful" \
        "$dir/text.png" "$dir" "$dir/sixteen.pgm" "$dir/blank.pgm" "$dir/wide.pgm")
[ "$out" = "$want" ] || fail "lines differ: got
$out
expected
$want"
grep -q "missing.png: No such file or directory" "$dir/err" || fail "no reason for the missing file: $(cat "$dir/err")"
grep -q "text.png: not a picture" "$dir/err" || fail "no reason for the text file: $(cat "$dir/err")"
grep -q "$dir: Is a directory" "$dir/err" || fail "no reason for the folder: $(cat "$dir/err")"
grep -q "sixteen.pgm: fewer than 17 digits read" "$dir/err" || fail "no reason for 16 digits: $(cat "$dir/err")"
grep -q "blank.pgm: fewer than 17 digits read" "$dir/err" || fail "no reason for the blank page: $(cat "$dir/err")"
grep -q "wide.pgm: no grid found" "$dir/err" || fail "no reason for the wide page: $(cat "$dir/err")"
grep -q "seventeen.pgm: the reading breaks the rules .*handed over as read" "$dir/err" || fail "no note on the broken board: $(cat "$dir/err")"
[ "$(grep -c . "$dir/err")" -eq 7 ] || fail "expected six reasons and one note: $(cat "$dir/err")"

out=$("$cli" recognize "--model=$dir/reads4.dat" "$dir/seventeen.pgm") || fail "a readable picture gave a non-zero status"
[ "$out" = "$(printf '%s\t%s\t%s' "$dir/seventeen.pgm" "$expected" "$doubtful")" ] || fail "--model=: $out"

# A grid whose top-left corner lies outside the picture is refused as such,
# not read shifted.
out=$("$cli" recognize --model "$dir/reads4.dat" "$dir/cut.pgm" 2>"$dir/err") && fail "a cut grid was read: $out"
[ "$out" = "$(printf '%s\t-\t-' "$dir/cut.pgm")" ] || fail "cut grid: $out"
grep -q "cut.pgm: a corner of the grid lies outside the picture" "$dir/err" || fail "cut grid: $(cat "$dir/err")"

# Refused models: every picture is "-", even a readable one, with the reason.
for model in missing.dat short.dat nan.dat; do
  out=$("$cli" recognize --model "$dir/$model" "$dir/seventeen.pgm" "$dir/blank.pgm" 2>"$dir/err")
  status=$?
  [ "$status" -ne 0 ] || fail "$model: status 0 without a model"
  [ "$out" = "$(printf '%s\t-\t-\n%s\t-\t-' "$dir/seventeen.pgm" "$dir/blank.pgm")" ] || fail "$model: $out"
  grep -q "digit model $dir/$model: 読込ファイルをオープンできません。：" "$dir/err" || fail "$model: $(cat "$dir/err")"
  [ "$(grep -c 'no digit model' "$dir/err")" -eq 2 ] || fail "$model: one reason per picture expected: $(cat "$dir/err")"
done
grep -q "short.dat" <<<"$("$cli" recognize --model "$dir/short.dat" "$dir/blank.pgm" 2>&1)" || fail "short model not named"

# The model is found beside the program, else in ../share/masuvo, and
# the one beside the program wins.
mkdir -p "$dir/prefix/bin" "$dir/prefix/share/masuvo"
cp "$cli" "$dir/prefix/bin/masuvo-cli"
# The picture reading program, as installed in libexec/masuvo.
mkdir -p "$dir/prefix/libexec/masuvo"
cp "$(dirname "$cli")/masuvo-recognize" "$dir/prefix/libexec/masuvo/"
"$dir/prefix/bin/masuvo-cli" recognize "$dir/seventeen.pgm" >/dev/null 2>"$dir/err" && fail "succeeded with no model installed"
grep -q "digit model $dir/prefix/bin/Masuvo.dat: .*No such file" "$dir/err" || fail "missing default model: $(cat "$dir/err")"
cp "$dir/reads4.dat" "$dir/prefix/share/masuvo/Masuvo.dat"
out=$("$dir/prefix/bin/masuvo-cli" recognize "$dir/seventeen.pgm") || fail "model in share/masuvo not used"
[ "$(cut -f2 <<<"$out")" = "$expected" ] || fail "share model: $out"
cp "$dir/nan.dat" "$dir/prefix/bin/Masuvo.dat"
"$dir/prefix/bin/masuvo-cli" recognize "$dir/seventeen.pgm" >/dev/null 2>"$dir/err" && fail "a broken model beside the program was passed over"
grep -q "digit model $dir/prefix/bin/Masuvo.dat" "$dir/err" || fail "broken model not named: $(cat "$dir/err")"

# Bad arguments.
"$cli" recognize >/dev/null 2>&1; [ $? -eq 2 ] || fail "no pictures: status not 2"
"$cli" recognize --model >/dev/null 2>&1; [ $? -eq 2 ] || fail "--model without a path: status not 2"
"$cli" recognize --size 3 "$dir/blank.pgm" >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option: status not 2"
out=$("$cli" recognize --model "$dir/reads4.dat" -- "$dir/seventeen.pgm") || fail "-- before the pictures"
echo ok

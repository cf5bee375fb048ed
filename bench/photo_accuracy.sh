#!/usr/bin/env bash
# Reads every photo of a folder with `masuvo-cli recognize` and compares the
# board with the photo's ground truth (IMAGE.dat beside IMAGE.jpg/.png: two
# lines about the camera, then nine rows of nine digits, 0 for an empty cell).
#
#   bench/photo_accuracy.sh PHOTO_FOLDER [MASUVO_CLI] [--model PATH]
#
# Prints one line per photo (read exactly / cells wrong / no grid found /
# too few digits) and the totals: boards read exactly, cells wrong of all
# cells, and the median wall time per photo (one process per photo, model
# loading included).
set -u
folder=${1:?usage: photo_accuracy.sh PHOTO_FOLDER [MASUVO_CLI] [--model PATH]}
cli=${2:-$(dirname "$0")/../build/cli/masuvo-cli}
shift $(( $# >= 2 ? 2 : 1 ))
extra=("$@")
[ -x "$cli" ] || { echo "photo_accuracy.sh: $cli is not an executable" >&2; exit 2; }

boards=0 exact=0 wrong_total=0 cells_total=0 no_grid=0 too_few=0
times=()
for truth in "$folder"/*.dat; do
  base=${truth%.dat}
  photo=
  for ext in jpg jpeg png JPG PNG; do [ -f "$base.$ext" ] && { photo=$base.$ext; break; }; done
  [ -n "$photo" ] || continue
  expected=$(tail -n +3 "$truth" | tr -cd '0-9' | tr 0 .)
  [ ${#expected} -eq 81 ] || { echo "$(basename "$truth"): not nine rows of nine digits, skipped" >&2; continue; }
  boards=$((boards + 1))
  cells_total=$((cells_total + 81))
  start=$(date +%s%N)
  output=$("$cli" recognize "${extra[@]}" "$photo" 2>/tmp/photo_accuracy.$$.err)
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
  read_board=$(printf '%s' "$output" | cut -f2)
  name=$(basename "$photo")
  if [ "$read_board" = "-" ] || [ -z "$read_board" ]; then
    wrong=$(printf '%s' "$expected" | tr -cd '1-9' | wc -c)
    wrong_total=$((wrong_total + wrong))
    if grep -q "no grid found" /tmp/photo_accuracy.$$.err; then
      no_grid=$((no_grid + 1)); echo "$name: no grid found ($wrong digits missed)"
    else
      too_few=$((too_few + 1)); echo "$name: grid found, fewer than 17 digits read ($wrong digits missed)"
    fi
    continue
  fi
  wrong=0
  for ((i = 0; i < 81; i++)); do
    [ "${expected:i:1}" = "${read_board:i:1}" ] || wrong=$((wrong + 1))
  done
  wrong_total=$((wrong_total + wrong))
  if [ $wrong -eq 0 ]; then exact=$((exact + 1)); echo "$name: read exactly"; else echo "$name: $wrong cells wrong"; fi
done
rm -f /tmp/photo_accuracy.$$.err
[ $boards -gt 0 ] || { echo "no photos with ground truth in $folder" >&2; exit 1; }
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}')
echo "photos: $boards, read exactly: $exact, cells wrong: $wrong_total of $cells_total," \
     "no grid found: $no_grid, grid found but too few digits: $too_few, median time per photo: ${median} ms"

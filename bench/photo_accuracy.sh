#!/usr/bin/env bash
# Reads every photo of a folder with `masuvo-cli recognize` and compares the
# board with the photo's ground truth (IMAGE.dat beside IMAGE.jpg/.png: two
# lines about the camera, then nine rows of nine digits, 0 for an empty cell).
#
#   bench/photo_accuracy.sh PHOTO_FOLDER [MASUVO_CLI] [--part tuning|measuring]
#                           [--list FILE] [--model PATH]
#
# --part takes the photos named in bench/photo_split/PART.txt (the fixed split
# of the shared photos: the pipeline is tuned on one part and only measured
# on the other); --list names any such file (one picture name a line, # for
# comments). Without either, every photo of the folder is read.
#
# Prints one line per photo (read exactly / cells wrong / no grid found /
# too few digits; the cells marked doubtful, and how many of the wrong cells
# they cover) and the totals: boards read exactly, cells wrong of all cells,
# and the median wall time per photo (one process per photo, model loading
# included). A board refused because its grid runs out of the picture is
# refused as it should be when the grid really does; its digits still count
# as wrong cells, and a second total counts boards read exactly or refused
# that way, with the cells wrong on the boards handed over.
set -u
usage="usage: photo_accuracy.sh PHOTO_FOLDER [MASUVO_CLI] [--part tuning|measuring] [--list FILE] [--model PATH]"
folder=${1:?$usage}
shift
cli=$(dirname "$0")/../build/cli/masuvo-cli
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then cli=$1; shift; fi
list= extra=()
while [ $# -gt 0 ]; do
  case $1 in
    --part) list=$(dirname "$0")/photo_split/${2:?$usage}.txt; shift 2 ;;
    --list) list=${2:?$usage}; shift 2 ;;
    --model) extra+=(--model "${2:?$usage}"); shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
[ -x "$cli" ] || { echo "photo_accuracy.sh: $cli is not an executable" >&2; exit 2; }
[ -z "$list" ] || [ -f "$list" ] || { echo "photo_accuracy.sh: no list $list" >&2; exit 2; }

photos=()
if [ -n "$list" ]; then
  while read -r name; do
    case $name in ''|'#'*) continue ;; esac
    photos+=("$folder/$name")
  done < "$list"
else
  for truth in "$folder"/*.dat; do
    base=${truth%.dat}
    for ext in jpg jpeg png JPG PNG; do [ -f "$base.$ext" ] && { photos+=("$base.$ext"); break; }; done
  done
fi

err=$(mktemp)
trap 'rm -f "$err"' EXIT
boards=0 exact=0 wrong_total=0 cells_total=0 no_grid=0 too_few=0 refused=0 corner=0 handed_cells=0 handed_wrong=0 flagged_total=0 caught_total=0
times=()
for photo in "${photos[@]}"; do
  truth=${photo%.*}.dat
  name=$(basename "$photo")
  [ -f "$photo" ] && [ -f "$truth" ] || { echo "$name: picture or ground truth missing, skipped" >&2; continue; }
  expected=$(tail -n +3 "$truth" | tr -cd '0-9' | tr 0 .)
  [ ${#expected} -eq 81 ] || { echo "$name: not nine rows of nine digits, skipped" >&2; continue; }
  boards=$((boards + 1))
  cells_total=$((cells_total + 81))
  start=$(date +%s%N)
  output=$("$cli" recognize "${extra[@]}" "$photo" 2>"$err")
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
  read_board=$(printf '%s' "$output" | cut -f2)
  doubtful=$(printf '%s' "$output" | cut -f3)
  if [ "$read_board" = "-" ] || [ -z "$read_board" ]; then
    wrong=$(printf '%s' "$expected" | tr -cd '1-9' | wc -c)
    wrong_total=$((wrong_total + wrong))
    reason=$(sed -n 's/^masuvo-cli: [^:]*: //p' "$err" | head -n 1)
    case $reason in
      *"no grid found"*) no_grid=$((no_grid + 1)) ;;
      *"fewer than 17"*) too_few=$((too_few + 1)) ;;
      *"outside the picture"*) corner=$((corner + 1)) ;;
      *) refused=$((refused + 1)) ;;
    esac
    echo "$name: not read: $reason ($wrong digits missed)"
    continue
  fi
  wrong=0 caught=0 flagged=0
  marks=" $(printf '%s' "${doubtful:--}" | tr ';' ' ') "
  [ "$doubtful" = "-" ] || [ -z "$doubtful" ] || flagged=$(printf '%s' "$doubtful" | tr ';' '\n' | wc -l)
  for ((i = 0; i < 81; i++)); do
    if [ "${expected:i:1}" != "${read_board:i:1}" ]; then
      wrong=$((wrong + 1))
      case $marks in *" $((i / 9)),$((i % 9)) "*) caught=$((caught + 1)) ;; esac
    fi
  done
  wrong_total=$((wrong_total + wrong))
  handed_cells=$((handed_cells + 81))
  handed_wrong=$((handed_wrong + wrong))
  flagged_total=$((flagged_total + flagged))
  caught_total=$((caught_total + caught))
  if [ $wrong -eq 0 ]; then exact=$((exact + 1)); state="read exactly"; else state="$wrong cells wrong"; fi
  echo "$name: $state; doubtful ${doubtful:--} ($caught of the wrong cells)"
done
[ $boards -gt 0 ] || { echo "no photos with ground truth in $folder" >&2; exit 1; }
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}')
percent() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.1f", b ? 100 * a / b : 0}'; }
echo "photos: $boards, read exactly: $exact ($(percent $exact $boards) %)," \
     "cells wrong: $wrong_total of $cells_total ($(awk -v a=$wrong_total -v b=$cells_total 'BEGIN {printf "%.2f", 100 * a / b}') %)," \
     "no grid found: $no_grid, grid found but too few digits: $too_few," \
     "refused as running out of the picture: $corner, refused otherwise: $refused," \
     "cells marked doubtful: $flagged_total (covering $caught_total wrong cells)," \
     "median time per photo: ${median} ms"
echo "read exactly or refused as running out of the picture: $((exact + corner)) ($(percent $((exact + corner)) $boards) %)," \
     "cells wrong on the boards handed over: $handed_wrong of $handed_cells" \
     "($(awk -v a=$handed_wrong -v b=$handed_cells 'BEGIN {printf "%.2f", b ? 100 * a / b : 0}') %)"

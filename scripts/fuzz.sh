#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for SECONDS
# (default 60) on a copy of its seeds in fuzz/corpus/. Prints per target the
# executions, the time and the crashes; exits non-zero when a target
# crashed, leaked or timed out, naming the reproducer under
# build-fuzz/artifacts/. Two targets run at a time on a machine with two or
# more cores (MASUVO_FUZZ_PARALLEL overrides).
#
#   bash scripts/fuzz.sh [SECONDS]
#   build-fuzz/fuzz/fuzz_<target> <reproducer>     replays one input
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac

bash scripts/install-deps.sh || exit 1

build=build-fuzz
cores=$(nproc)
parallel="${MASUVO_FUZZ_PARALLEL:-$((cores < 2 ? 1 : 2))}"
start=$(date +%s)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DMASUVO_CORE_ONLY=ON -DMASUVO_BUILD_BENCH=OFF -DMASUVO_FUZZ=ON >/dev/null || exit 1
cmake --build "$build" -j "$cores" --target fuzz_targets || exit 1
echo "build: $(($(date +%s) - start)) s"

# target and the longest input worth trying (each target refuses longer ones).
targets=(
  "puzzle_file 65536"
  "record_file 65536"
  "practice_record 65536"
  "paste 4096"
  "model_file 4096"
  "picture_webp 65536"
  "picture_qt 65536"
  "puzzle_lines 16384"
)

# Scratch space in memory when there is some: the record and puzzle targets
# save through fsync, which a disk makes a thousand times slower.
work=$(mktemp -d -p /dev/shm masuvo-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/artifacts"
rm -rf "$artifacts"
mkdir -p "$artifacts"

run_target() {
  local name="$1" max_len="$2"
  mkdir -p "$work/$name/corpus" "$work/$name/tmp" "$artifacts/$name"
  cp fuzz/corpus/"$name"/* "$work/$name/corpus/"
  local began
  began=$(date +%s)
  # The targets write only into their own scratch folder under TMPDIR.
  TMPDIR="$work/$name/tmp" QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="detect_leaks=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
    -print_final_stats=1 -artifact_prefix="$artifacts/$name/" "$work/$name/corpus" >"$work/$name.log" 2>&1
  echo $? >"$work/$name.status"
  echo $(($(date +%s) - began)) >"$work/$name.seconds"
}

running=0
for entry in "${targets[@]}"; do
  run_target $entry &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
printf '%-14s %12s %8s %8s\n' target executions seconds crashes
for entry in "${targets[@]}"; do
  set -- $entry
  name="$1"
  log="$work/$name.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  # A run that stopped on a crash prints no final statistics: its last status line counts.
  [ -n "$runs" ] || runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -1)
  time=$(cat "$work/$name.seconds")
  found=$(find "$artifacts/$name" -type f | wc -l)
  status=$(cat "$work/$name.status")
  printf '%-14s %12s %8s %8s\n' "$name" "${runs:-?}" "$time" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    mkdir -p "$artifacts/$name"
    cp "$log" "$artifacts/$name.log"
    echo "  fuzz_$name failed (status $status); its output: $artifacts/$name.log" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz check failed|.*runtime error)' "$log" | head -5 | sed 's/^/  /' >&2
    find "$artifacts/$name" -type f | sed 's/^/  reproducer: /' >&2
  fi
done
echo "total: $(($(date +%s) - start)) s"
exit "$failed"

#!/usr/bin/env bash
# Start-up times side by side in one run, each the median of N starts:
# an empty C++ program, masuvo-cli --version, masuvo-cli count of one
# puzzle, masuvo --version, and the main window: from the process start to
# the window being mapped on a virtual X server (the X server's MapNotify,
# seen by window_mapped.c), with the processor time used until then and the
# time its main thread waited for a processor that other processes held.
# masuvo is the launcher, which becomes masuvo-window in the same process.
# Also the shared libraries each program loads. Ratios are to the empty
# program.
#
#   bench/startup_times.sh [BUILD_FOLDER] [N]
set -euo pipefail
build=${1:-$(dirname "$0")/../build}
runs=${2:-21}
cli=$build/cli/masuvo-cli
window=$build/ui/masuvo
work=$(mktemp -d)
trap 'kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
printf 'int main() { return 0; }\n' > "$work/empty.cpp"
g++ -O2 -o "$work/empty" "$work/empty.cpp"
# The moment of the map comes from the X server itself (window_mapped.c).
gcc -O2 -o "$work/window_mapped" "$(dirname "$0")/window_mapped.c" -lxcb
puzzle='..3.2.6..9..3.5..1..18.64....81.29..7.......8..67.82....26.95..8..2.3..9..5.1.3..'

# Microseconds of one run of a command line, standard input from a file
# (bash's own clock: no process is started to read it).
ms() {
    local input=$1; shift
    local start end
    start=${EPOCHREALTIME/./}
    "$@" <"$input" >/dev/null 2>&1
    end=${EPOCHREALTIME/./}
    echo $(( end - start ))
}
median() { sort -n | awk '{v[NR]=$1} END {printf "%.1f", (NR % 2 ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2) / 1000}'; }
echo "$puzzle" > "$work/puzzle"
: > "$work/none"

declare -A times
for ((k = 0; k < runs; ++k)); do
    times[empty]+="$(ms "$work/none" "$work/empty") "
    times[cli_version]+="$(ms "$work/none" "$cli" --version) "
    times[cli_count]+="$(ms "$work/puzzle" "$cli" count) "
    times[window_version]+="$(ms "$work/none" "$window" --version) "
done

# The window: a fresh home each time (the example copy of a first start
# happens once, in a warm-up run), on one X server with no window manager.
mkdir -m 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME"
# The server picks a free display and writes its number once it accepts
# clients; -noreset keeps it from resetting, and refusing connections for a
# moment, each time the last client leaves.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for ((k = 0; k < 300; ++k)); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "startup_times.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
mapped() {
    local tries=${1:-1} start end pid watcher
    : >"$work/pid"
    : >"$work/mapped"  # emptied here: the watcher's own truncation may come late
    timeout 60 "$work/window_mapped" "$work/pid" >"$work/mapped" &
    watcher=$!
    until [ -s "$work/mapped" ] || ! kill -0 "$watcher" 2>/dev/null; do sleep 0.01; done  # listening
    start=${EPOCHREALTIME/./}
    "$window" >/dev/null 2>&1 &
    pid=$!
    echo "$pid" >"$work/pid"
    # Whichever ends first: the watcher at the map, or a program that
    # ended without a window.
    wait -n "$watcher" "$pid" || true
    if kill -0 "$watcher" 2>/dev/null || [ -z "$(sed -n 2p "$work/mapped")" ]; then
        kill "$watcher" 2>/dev/null || true; wait "$watcher" 2>/dev/null || true
        # No map seen (the program failed, or the watcher lost the server):
        # no time is made up; the start is tried again, three times at most.
        echo "startup_times.sh: no map seen for a start of $window (try $tries)" >&2
        kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
        [ "$tries" -lt 3 ] || return 1
        mapped $((tries + 1))
        return
    fi
    end=$(sed -n 2p "$work/mapped")
    # The processor time the program had used by then (user + system, in
    # clock ticks), and how long its main thread had waited for a processor
    # held by other processes (nanoseconds): on a busy machine the wall
    # time is about the two together.
    local ticks
    ticks=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    echo $(( ticks * 1000000 / $(getconf CLK_TCK) )) >>"$work/cpu"
    awk '{print int($2 / 1000)}' "/proc/$pid/schedstat" >>"$work/wait"
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo $(( end - start ))
}
mapped >/dev/null  # first start: the examples are copied
: >"$work/cpu"
: >"$work/wait"
for ((k = 0; k < runs; ++k)); do times[window_mapped]+="$(mapped) "; done
times[window_mapped_cpu]=$(tr '\n' ' ' <"$work/cpu")
times[window_mapped_wait]=$(tr '\n' ' ' <"$work/wait")
first_home=$HOME
export HOME="$work/fresh" XDG_CONFIG_HOME="$work/fresh/.config"
for ((k = 0; k < 5; ++k)); do
    rm -rf "$HOME"; mkdir -p "$HOME"
    times[window_first_start]+="$(mapped) "
done
export HOME=$first_home

empty=$(tr ' ' '\n' <<<"${times[empty]}" | grep . | median)
printf '%-20s %10s %8s\n' measure median_ms ratio
for key in empty cli_version cli_count window_version window_mapped window_mapped_cpu window_mapped_wait \
    window_first_start; do
    m=$(tr ' ' '\n' <<<"${times[$key]}" | grep . | median)
    printf '%-20s %10s %8s\n' "$key" "$m" "$(awk -v a="$m" -v b="$empty" 'BEGIN {printf "%.1f", a / b}')"
done

# Shared libraries loaded: ldd's list of the programs as linked.
for program in "$cli" "$build/cli/masuvo-recognize" "$window" "$build/ui/masuvo-window"; do
    [ -x "$program" ] && printf 'libraries %-18s %d\n' "$(basename "$program")" "$(ldd "$program" | grep -c '=>')"
done

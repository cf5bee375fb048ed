#!/usr/bin/env bash
# Builds everything (the core, the session and the Qt front end with their
# tests) with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs the tests there, the window's suites offscreen.
# The long soundness walks and the golden comparisons run once, in the
# ordinary build: they repeat, over thousands of puzzles, code that the
# other tests already drive under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMASUVO_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build build-sanitize -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
skip='Soundness|SameAsTheLiteralLoops|golden_outputs|golden_create|BivalueChainReference'
# The core and the session with leak checking; the window's suites without
# it: the system libraries under Qt (fonts, D-Bus, GLib) keep allocations for
# the life of the process, which are not the program's to free.
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" -L core -E "$skip"
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" -L ui -E "$skip"

#!/usr/bin/env bash
# Builds the core libraries and their tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ and runs those tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMASUVO_CORE_ONLY=ON \
  -DMASUVO_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build build-sanitize -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" -L core

#!/usr/bin/env bash
# Builds the core with ThreadSanitizer (clang, LLVM's OpenMP runtime with its
# ThreadSanitizer tool library) into build-tsan/ and runs the tests that
# share work between threads: the creation searches (one and two threads
# must give the same puzzle; cancelling), the generator they drive, and the
# chain technique's parallel loop with its thread threshold lowered by the
# tests, and the creation dialogs' search thread with its hand-over to the
# window thread (Qt Core only; the widgets are not built here).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
flags="-fsanitize=thread -fno-omit-frame-pointer -g"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMASUVO_CORE_ONLY=OFF \
  -DMASUVO_BUILD_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build build-tsan -j "$(nproc)" --target engine_tests generator_tests creation_task_test
# The OpenMP runtime is not built with ThreadSanitizer: its tool library
# tells ThreadSanitizer about the OpenMP constructs (parallel loops, ordered
# sections, barriers), and the uninstrumented code of the runtime and of Qt
# is left out.
archer=$(find /usr/lib/llvm-*/lib -name libarcher.so 2>/dev/null | sort | tail -n 1)
[ -n "$archer" ] || { echo "thread-check.sh: libarcher.so not found (package libomp-dev)" >&2; exit 1; }
export OMP_TOOL_LIBRARIES="$archer"
export TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
export OMP_NUM_THREADS=2
build-tsan/tests/generator_tests --gtest_filter='Creation.*:Generator.*:Diversify.*'
build-tsan/tests/engine_tests --gtest_filter='BivalueChainThreads.*:BivalueChain.*:BivalueChainLinks.*'
build-tsan/tests/creation_task_test

#!/usr/bin/env bash
# Installs what is missing, builds Bytescope and runs the whole test suite: the tests, the same
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

tools/setup.sh build
(cd build && ctest --output-on-failure -j"$jobs")

echo "== The suite again under AddressSanitizer and UndefinedBehaviorSanitizer"
tools/setup.sh build-asan -DBYTESCOPE_SANITIZE=ON -DBYTESCOPE_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j"$jobs")

echo "== A short fuzzing run of the entry rules (libFuzzer, clang)"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DBYTESCOPE_FUZZ=ON -DBYTESCOPE_TESTS=OFF \
      -DBYTESCOPE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_entry
mkdir -p build-fuzz/corpus
build-fuzz/fuzz/fuzz_entry -max_total_time=30 -print_final_stats=1 build-fuzz/corpus 2>&1 | tail -5

echo "== The Debian package: validators, lintian, and the unpacked program finding its manual"
tools/package.sh build-pkg

echo "== Windows: the cross-built programs, their tests under Wine, and the Windows package"
tools/windows.sh

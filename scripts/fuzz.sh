#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for SECONDS (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kmm_install_missing clang libclang-rt-dev
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DKMM_FUZZ=ON -DKMM_BUILD_TESTS=OFF \
    -DKMM_BUILD_BENCH=OFF -DKMM_BUILD_TOOLS=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)"
for target in build/fuzz/fuzz/fuzz_*; do
    echo "== $target (${seconds}s)"
    "$target" -max_total_time="$seconds" 2>&1 | tail -n 1
done

#!/usr/bin/env bash
# Builds Release and runs the benchmarks, reporting the median of 9 repetitions per case, then
# (when OpenCV is installed) the side-by-side table against OpenCV.
# Extra arguments go to the benchmark binary (e.g. --benchmark_filter=Y16Mapping).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kmm_install_missing

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target kmm_bench
build/release/bench/kmm_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \
    --benchmark_display_aggregates_only=true "$@" | grep -E 'median|^Benchmark|^-'
if cmake --build build/release --target help | grep -q kmm_compare; then
    cmake --build build/release -j"$(nproc)" --target kmm_compare
    echo
    build/release/bench/kmm_compare --rounds 9
else
    echo "OpenCV not installed (Debian libopencv-dev): no side-by-side table."
fi

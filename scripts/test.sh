#!/usr/bin/env bash
# Builds Release and runs every test, then builds with AddressSanitizer and
# UndefinedBehaviorSanitizer (float-cast-overflow included, halting on the first report) and
# runs every test again, then runs every fuzz target for a few seconds on its corpus
# (KMM_FUZZ_SECONDS, default 5). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kmm_install_missing

jobs=$(nproc)
run_suite() {
    local dir=$1
    shift
    echo "== configure and build: $dir"
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    echo "== test: $dir"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600
}

run_suite build/release -DCMAKE_BUILD_TYPE=Release
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKMM_SANITIZE=ON \
                             -DKMM_BUILD_BENCH=OFF
scripts/fuzz.sh "${KMM_FUZZ_SECONDS:-5}"

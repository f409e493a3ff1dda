#!/usr/bin/env bash
# Builds Release and runs every test, then builds with AddressSanitizer and
# UndefinedBehaviorSanitizer (float-cast-overflow included, halting on the first report) and
# runs every test again, then runs every fuzz target for a few seconds on its corpus
# (KMM_FUZZ_SECONDS, default 5; clang). Ends with one line for all suites; exits non-zero on
# any failure.
#   scripts/test.sh           all three
#   scripts/test.sh --quick   the Release suite only
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/steps.sh
kmm_install_missing

quick=false
[[ ${1:-} == --quick ]] && quick=true

if $quick; then
    echo "Release build and tests: about 4 minutes on a fresh checkout with two free cores," \
         "seconds after."
else
    echo "Release, then sanitizer build and tests, then the fuzz targets: about 14 minutes on a" \
         "fresh checkout with two free cores, a few minutes after."
fi
echo "Build logs: build/*/build.log; test logs: build/*/test.log."

kmm_build build/release all -DCMAKE_BUILD_TYPE=Release
kmm_suite "Release tests" build/release

if ! $quick; then
    kmm_build build/sanitize all -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKMM_SANITIZE=ON \
                                 -DKMM_BUILD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        kmm_suite "Sanitizer tests (ASan + UBSan)" build/sanitize
    kmm_check build/fuzz/smoke.log "Fuzz targets, ${KMM_FUZZ_SECONDS:-5} s each on their corpus" \
        scripts/fuzz.sh "${KMM_FUZZ_SECONDS:-5}"
fi

kmm_summary

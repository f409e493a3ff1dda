#!/usr/bin/env bash
# Calls every export over and over (the rows of `kmm checksums`; a row that calls its export
# k times a round runs N / k rounds) and reports the resident memory after the first and the
# last round: on small frames in the Release build, at 1280x1024, and on small frames in the
# sanitizer build, where LeakSanitizer checks at exit.
#   scripts/soak.sh [SMALL_CALLS [LARGE_CALLS]]   (default 5000 and 20; about 10 minutes)
# 100,000 calls of every export at 16x12 take about half an hour of a free core, 1,000 at
# 1280x1024 about three quarters of an hour.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/steps.sh
kmm_install_missing
small=${1:-5000} large=${2:-20}

kmm_build build/release kmm -DCMAKE_BUILD_TYPE=Release
kmm_build build/sanitize kmm -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKMM_SANITIZE=ON -DKMM_BUILD_BENCH=OFF
soak() {
    local log=$1
    shift
    kmm_check "$log" "kmm checksums $*" "$@" && sed 's/^/    /' "$log"
}
soak build/release/soak-small.log build/release/tools/kmm/kmm checksums --soak "$small"
soak build/release/soak-large.log build/release/tools/kmm/kmm checksums --soak "$large" \
    --soak-size 1280 1024
ASAN_OPTIONS=detect_leaks=1 soak build/sanitize/soak-small.log \
    build/sanitize/tools/kmm/kmm checksums --soak "$((small / 25))"
kmm_summary

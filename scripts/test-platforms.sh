#!/usr/bin/env bash
# One source, three targets. Cross-builds the library, its closed-library stand-in, kmm and
# the tests for Windows x86-64 (MinGW-w64; run under Wine) and Linux arm64 (run under qemu),
# runs their tests, runs kmm.exe demo under Wine against the Linux demo (text and pixels), and
# compares `kmm checksums` (a digest of every export's output on fixed inputs) on Linux
# x86-64, Windows and Linux arm64. Exits non-zero on any failure or difference.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/steps.sh
kmm_install_missing g++-mingw-w64-x86-64-posix wine wine64 g++-aarch64-linux-gnu qemu-user \
                    googletest python3

echo "Windows and arm64 builds with their tests: about 6 minutes on a fresh checkout with two" \
     "free cores (12 CPU-minutes), half a minute after."

# Wine keeps its Windows installation inside the build folder; no window, no add-on download.
export WINEPREFIX="$PWD/build/windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
qemu=(qemu-aarch64 -L /usr/aarch64-linux-gnu)

kmm_build build/release kmm -DCMAKE_BUILD_TYPE=Release
kmm_build build/windows all -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
kmm_build build/arm64 all -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake

# Two programs that start Wine at once on a new prefix race to create it, and one of them then
# fails with "could not load kernel32.dll"; the prefix is made once before the tests run.
make_wine_prefix() { wine wineboot --init && wineserver --wait; }
kmm_step build/windows/wineboot.log "Wine prefix in build/windows/wine" make_wine_prefix
kmm_suite "Windows tests under Wine (programs)" build/windows
kmm_suite "arm64 tests under qemu (programs)" build/arm64

# The demo on Windows against the demo on Linux: same summary, same pixels in every picture.
demo_matches() {
    build/release/tools/kmm/kmm demo --out build/release/demo-out &&
        wine build/windows/bin/kmm.exe demo --out build/windows/demo-out &&
        diff <(tr -d '\r' <build/windows/demo-out/summary.txt) build/release/demo-out/summary.txt &&
        python3 scripts/compare_pictures.py build/release/demo-out build/windows/demo-out
}
kmm_check build/windows/demo.log "kmm.exe demo under Wine against Linux x86-64" demo_matches

run_checksums() {
    mkdir -p build/checksums &&
        build/release/tools/kmm/kmm checksums >build/checksums/linux-x86_64.txt &&
        wine build/windows/bin/kmm.exe checksums >build/checksums/windows-x86_64.txt &&
        "${qemu[@]}" build/arm64/tools/kmm/kmm checksums >build/checksums/linux-arm64.txt
}
kmm_step build/checksums/run.log "kmm checksums on the three targets" run_checksums

# Prints the three tables side by side; fails when a row differs.
compare_checksums() {
    echo
    echo "kmm checksums: a digest of each export's output on fixed inputs"
    paste -d '\t' build/checksums/{linux-x86_64,windows-x86_64,linux-arm64}.txt | tr -d '\r' |
        awk -F'\t' '
        function digest(line) { return substr(line, length(line) - 15) }
        BEGIN { printf "%-50s %-16s  %-16s  %s\n", "export, case", "linux-x86_64",
                       "windows-x86_64", "linux-arm64" }
        {
            a = digest($1); b = digest($2); c = digest($3)
            mark = (a == b && b == c && a != "") ? "" : "  <- differs"
            if (mark != "") differing++
            printf "%-50s %s  %s  %s%s\n", substr($1, 1, 50), a, b, c, mark
        }
        END {
            if (differing) { printf "%d of %d rows differ\n\n", differing, NR; exit 1 }
            printf "%d rows, identical on all three targets\n\n", NR
        }'
}
if compare_checksums; then
    KMM_PASSED=$((KMM_PASSED + 1))
else
    KMM_FAILED=$((KMM_FAILED + 1))
fi

kmm_summary

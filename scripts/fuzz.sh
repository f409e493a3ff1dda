#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan), writes their seed corpora from the
# real frames, and runs each target for SECONDS (default 60) on its corpus, one after another.
# Prints executions, corpus size and findings per target; a finding's input is kept in
# build/fuzz/findings/<target>/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kmm_install_missing clang libclang-rt-dev
seconds=${1:-60}
build=build/fuzz
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -DKMM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
"$build/fuzz/make_seeds" "$build/seeds" >/dev/null

status=0
TIMEFORMAT=%0U
for target in "$build"/fuzz/fuzz_*; do
    name=$(basename "$target")
    corpus=$build/corpus/$name findings=$build/findings/$name log=$build/$name.log
    mkdir -p "$corpus" "$findings"
    if ! cpu=$( { time "$target" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
            -artifact_prefix="$findings/" "$corpus" "$build/seeds/$name" >"$log" 2>&1; } 2>&1 ); then
        status=1
        tail -n 30 "$log"
    fi
    execs=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    printf '%-28s %10s execs in %ss (%s CPU-s), corpus %s, findings %s\n' "$name" "$execs" \
        "$seconds" "${cpu:-?}" "$(ls "$corpus" | wc -l)" "$(ls "$findings" | wc -l)"
done
exit "$status"

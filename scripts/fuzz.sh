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
for target in "$build"/fuzz/fuzz_*; do
    name=$(basename "$target")
    corpus=$build/corpus/$name findings=$build/findings/$name
    mkdir -p "$corpus" "$findings"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$findings/" "$corpus" "$build/seeds/$name" >"$build/$name.log" 2>&1; then
        status=1
        tail -n 30 "$build/$name.log"
    fi
    execs=$(grep -o 'number_of_executed_units: [0-9]*' "$build/$name.log" | grep -o '[0-9]*$' || echo 0)
    printf '%-30s %10s execs in %ss, corpus %s, findings %s\n' "$name" "$execs" "$seconds" \
        "$(ls "$corpus" | wc -l)" "$(ls "$findings" | wc -l)"
done
exit "$status"

#!/usr/bin/env bash
# Builds the library and the kmm tool (Release) and runs `kmm demo` into ./demo-out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source scripts/deps.sh
kmm_install_missing

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target kmm
build/release/tools/kmm/kmm demo --out "$root/demo-out"

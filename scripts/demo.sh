#!/usr/bin/env bash
# Builds the library and the kmm tool (Release) and runs `kmm demo` into ./demo-out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source scripts/deps.sh
source scripts/steps.sh
kmm_install_missing

echo "Building the library and kmm: about 2 minutes on a fresh checkout with two free cores," \
     "seconds after."
kmm_build build/release kmm -DCMAKE_BUILD_TYPE=Release
echo "Running kmm demo: synthetic scenes and the real frames of examples/frames through every" \
     "family of exports (a few seconds)."
echo
build/release/tools/kmm/kmm demo --out "$root/demo-out"

#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test (the GL tests under Xvfb).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

build=${VELTRANE_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRANE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

. scripts/xvfb.sh
start_xvfb_if_needed
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

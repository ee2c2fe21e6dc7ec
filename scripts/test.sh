#!/usr/bin/env bash
# Installs what is missing, builds Korvane with warnings as errors and runs
# every test through CTest.  Usage: scripts/test.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DKORVANE_WERROR=ON
cmake --build "$build" -j2
scripts/check-layers.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" -j2 --output-on-failure --timeout 180

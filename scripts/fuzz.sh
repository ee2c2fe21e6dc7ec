#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan, and runs each for
# the given number of seconds (default 30) from the seed corpora in
# fuzz/seeds.  Findings are written to fuzz/crash-* and fail the run.
# Usage: scripts/fuzz.sh [seconds per target] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true
build=build-fuzz

if ! command -v clang++ >/dev/null || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1; then
    echo "fuzz: clang and libclang-rt-14-dev are needed (apt-get install clang libclang-rt-14-dev)"
    exit 1
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DKORVANE_FUZZ=ON -DBUILD_TESTING=OFF \
    -DKORVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(ls fuzz/fuzz_*.cpp | sed 's#fuzz/\(fuzz_.*\)\.cpp#\1#'))
cmake --build "$build" -j2 --target "${targets[@]}"

status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/${t#fuzz_}"
    mkdir -p "$corpus"
    echo "== $t for ${seconds}s"
    if ! "$build/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix=fuzz/crash- "$corpus" "fuzz/seeds/${t#fuzz_}" 2>"$build/$t.log"; then
        tail -40 "$build/$t.log"
        status=1
    else
        grep -E '^stat::number_of_executed_units|^Done' "$build/$t.log" || true
    fi
done
exit $status

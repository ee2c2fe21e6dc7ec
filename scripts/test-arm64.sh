#!/usr/bin/env bash
# Cross-builds Korvane for arm64 (a Raspberry Pi on 64-bit Debian 12) and tests
# it on this amd64 machine under qemu-aarch64-static: every test without Qt
# through CTest, then an end-to-end run of the arm64 korvaned on a
# pseudo-terminal fed by the board simulator, checking the day's log and the
# history store it writes.
# Usage: scripts/test-arm64.sh               build, run the tests and the end-to-end run
#        scripts/test-arm64.sh --build-only  build the logic libraries and korvaned only
# Build folders: build-test-arm64 (arm64), build-test-arm64-sim (the amd64 simulator).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-test-arm64
sim_build=build-test-arm64-sim
start=$SECONDS

mode=all
case "${1:-}" in
    "") ;;
    --build-only) mode=build ;;
    *)
        echo "test-arm64.sh: unknown option '$1' (only --build-only)" >&2
        exit 2
        ;;
esac

scripts/install-deps.sh
scripts/install-deps-arm64.sh
# Said plainly before CMake would fail on a missing arm64 package.
scripts/install-deps-arm64.sh --check

# Optimised: under emulation the tests' run time is the cost.  -O2, not
# Release's -O3, where GCC 12 warns falsely (-Wrestrict) inside std::string.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" \
    -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" -DKORVANE_WERROR=ON \
    -DKORVANE_BENCH=OFF >/dev/null

if [ "$mode" = build ]; then
    # The logic libraries, and korvaned over the station: the code a site PC
    # runs, where aarch64's unsigned char and the cross moc bite first.
    cmake --build "$build" -j2 --target korvane_platform korvane_config korvane_monitor \
        korvane_recording korvane_calibration korvane_history korvane_alarms korvane_store \
        korvane_publish korvane_trends korvane_web korvaned
    echo "test-arm64: arm64 libraries and korvaned built after $((SECONDS - start)) s"
    exit 0
fi

cmake --build "$build" -j2 --target korvane_logic_tests korvaned
echo "test-arm64: arm64 build done after $((SECONDS - start)) s"

# Left out under qemu-user, each for its reason:
skipped=(
    # Its writer is a second arm64 program started as a child: without
    # binfmt_misc (not available in this container) qemu-user cannot exec it.
    "StoreCrash\."
    # Drives the amd64 Chromium against the emulated server: a browser test,
    # not logic, and minutes slower under emulation; it runs natively in
    # scripts/test.sh.
    "WebBrowser"
)
exclude=$(
    IFS='|'
    echo "${skipped[*]}"
)
echo "test-arm64: skipped under emulation (reasons in scripts/test-arm64.sh): ${skipped[*]}"
# The emulator is slower than the machine by about 5 to 10 times; each test
# already has 900 s in the arm64 tree.
ctest --test-dir "$build" -L logic -E "$exclude" -j2 --output-on-failure --no-tests=error
echo "test-arm64: tests done after $((SECONDS - start)) s"

# The amd64 simulator, from an amd64 folder of its own.
cmake -S . -B "$sim_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DKORVANE_BENCH=OFF >/dev/null
cmake --build "$sim_build" -j2 --target korvane-board-sim >/dev/null

# End to end: the arm64 korvaned under qemu on the simulator's pseudo-terminal,
# logging every 10 s, for 30 s; then a clean stop, which also commits the
# unfinished minute.
home=$(mktemp -d)
sim_pid="" service_pid=""
stop_all() {
    [ -z "$service_pid" ] || kill "$service_pid" 2>/dev/null || true
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
}
trap 'stop_all; rm -rf "$home"' EXIT
smoke_fail() {
    echo "test-arm64: end-to-end FAILED: $*" >&2
    echo "--- korvaned said:" >&2
    cat "$home/korvaned.out" >&2 || true
    exit 1
}
cp data/settings.cfg "$home/settings.cfg"
sed -e 's|<LogOn>0</LogOn>|<LogOn>1</LogOn>|' -e 's|<LogDelay>60</LogDelay>|<LogDelay>10</LogDelay>|' \
    data/prog.cfg >"$home/prog.cfg"
grep -q "<LogOn>1</LogOn>" "$home/prog.cfg" && grep -q "<LogDelay>10</LogDelay>" "$home/prog.cfg" ||
    smoke_fail "could not turn logging on in a copy of data/prog.cfg"
"$sim_build/tools/board-sim/korvane-board-sim" --home "$home" >"$home/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$home/com1" ] && break; sleep 0.1; done
[ -e "$home/com1" ] || smoke_fail "the simulator did not link com1"

first_day=$(date +%Y_%-m_%-d)
qemu-aarch64-static "$build/src/service/korvaned" --home "$home" >"$home/korvaned.out" 2>&1 &
service_pid=$!
sleep 30
kill -0 "$service_pid" 2>/dev/null || smoke_fail "korvaned ended before 30 s"
kill -TERM "$service_pid"
status=0
wait "$service_pid" || status=$?
service_pid=""
[ "$status" -eq 0 ] || smoke_fail "korvaned exited with status $status on SIGTERM"
last_day=$(date +%Y_%-m_%-d)

# A log record: <V>13.52</V><I>4.1</I><W>55.43</W><R>..</R><S>..</S><M>1</M><T>14:05</T>
record='^<V>[-0-9.]+</V><I>[-0-9.]+</I><W>[-0-9.]+</W><R>[-0-9.]+</R><S>[-0-9.]+</S><M>[0-9]</M><T>[0-9]{2}:[0-9]{2}</T>'
records=$(cat "$home/logs/$first_day.txt" "$home/logs/$last_day.txt" 2>/dev/null | sort -u |
    grep -cE "$record" || true)
[ "$records" -ge 2 ] || smoke_fail "expected at least 2 records in logs/$last_day.txt, found $records" \
    "($(ls "$home/logs"))"
read -r minutes packets < <(sqlite3 -separator " " "$home/korvane.db" \
    "select count(*), coalesce(sum(packets), 0) from minutes" 2>&1) ||
    smoke_fail "korvane.db cannot be read"
[ "${minutes:-0}" -ge 1 ] && [ "${packets:-0}" -ge 15 ] ||
    smoke_fail "expected the minutes of about 30 packets in korvane.db, found $minutes minutes, $packets packets"
echo "test-arm64: end to end: $records log records, $minutes minutes of $packets packets in korvane.db"
echo "test-arm64: all done after $((SECONDS - start)) s"

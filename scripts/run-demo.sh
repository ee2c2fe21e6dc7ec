#!/usr/bin/env bash
# Installs what is missing, builds Korvane, prepares a demo app folder and
# starts Korvane there with live data.  When no board is linked as com1 in the
# folder, the board simulator stands in for it.
# Usage: scripts/run-demo.sh [app folder]   (default: ./demo-home)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
home="$(realpath -m "${1:-${KORVANE_HOME:-$root/demo-home}}")"

scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target korvane korvane-board-sim
scripts/prepare-demo.sh "$home"

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT
trap "exit 130" INT TERM

# The folder as the user would type it from here.
shown="$(realpath -m --relative-base="$root" "$home")"
# -e follows the link: a link left behind by an earlier simulator dangles.
if [ -e "$home/com1" ]; then
    source="the board linked as $shown/com1"
else
    rm -f "$home/com1"
    build/tools/board-sim/korvane-board-sim --home "$home" --port 1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$home/com1" ] && break; sleep 0.1; done
    source="the board simulator on $shown/com1"
fi

export KORVANE_HOME="$home"
run=(build/src/app/korvane)
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running Korvane on a virtual X display (xvfb-run)."
    run=(xvfb-run -a build/src/app/korvane)
fi
"${run[@]}" &
app_pid=$!
# Up once it holds the folder (it takes the lock before anything else).
for _ in $(seq 100); do
    [ -e "$home/korvane.lock" ] && ! flock -n "$home/korvane.lock" true && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
    echo "Korvane is running with $source; close its window to stop"
fi
wait "$app_pid"

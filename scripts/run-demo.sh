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

# -e follows the link: a link left behind by an earlier simulator dangles.
if [ -e "$home/com1" ]; then
    echo "Using the board linked as $home/com1"
else
    rm -f "$home/com1"
    build/tools/board-sim/korvane-board-sim --home "$home" --port 1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$home/com1" ] && break; sleep 0.1; done
    echo "Board simulator running on $home/com1"
fi

export KORVANE_HOME="$home"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running Korvane on a virtual X display (xvfb-run)."
    xvfb-run -a build/src/app/korvane
else
    build/src/app/korvane
fi

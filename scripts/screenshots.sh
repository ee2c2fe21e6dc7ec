#!/usr/bin/env bash
# Regenerates the README's screenshots in docs/ from the running program:
# Korvane on a virtual X display fed by the board simulator, and the other
# windows rendered by the programs in tools/screenshots.
# Usage: scripts/screenshots.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2
mkdir -p docs

work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# The main window with live values and logging running.
scripts/prepare-demo.sh "$work/home"
"$build/tools/board-sim/korvane-board-sim" --home "$work/home" --rate 2 --seed 7 \
    2>/dev/null &
for _ in $(seq 50); do [ -e "$work/home/com1" ] && break; sleep 0.1; done
KORVANE_HOME="$work/home" xvfb-run -a -s "-screen 0 800x600x24" bash -c "
    '$build/src/app/korvane' &
    sleep 8
    import -window root '$work/root.png'
    kill %1"
convert "$work/root.png" -trim +repage docs/main-window.png
echo "docs/main-window.png"

shots="$build/tools/screenshots"
export QT_QPA_PLATFORM=offscreen
[ -x "$shots/dialogs/korvane-shot-dialogs" ] &&
    "$shots/dialogs/korvane-shot-dialogs" docs/setup.png docs/calibration.png
[ -x "$shots/history/korvane-shot-graph" ] && "$shots/history/korvane-shot-graph" docs/graph.png
[ -x "$shots/trends/korvane-shot-trends" ] && "$shots/trends/korvane-shot-trends" \
    docs/trends-energy.png docs/trends-power-curve.png docs/trends-battery.png docs/trends-days.png \
    docs/trends-turbine.png
ls -l docs/*.png

#!/usr/bin/env bash
# Checks that the README's Quick start holds exactly two commands, that both
# exist and can run, and that the demo folder the first one prepares holds
# everything Korvane needs.  Run by the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

block=$(awk '/^## Quick start/{q=1} q&&/^```sh/{f=1;next} f&&/^```/{exit} f' README.md)
mapfile -t commands < <(printf '%s\n' "$block" | grep -v -E '^\s*(#|$)')
if [ ${#commands[@]} -ne 2 ]; then
    echo "Quick start must hold exactly two commands, found ${#commands[@]}:"
    printf '  %s\n' "${commands[@]}"
    exit 1
fi
for c in "${commands[@]}"; do
    script=${c%% *}
    [ -x "$script" ] || { echo "Quick start command not executable: $script"; exit 1; }
    bash -n "$script" || { echo "syntax error in $script"; exit 1; }
done

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
scripts/prepare-demo.sh "$home/demo"
for f in prog.cfg settings.cfg html/template.asp; do
    [ -s "$home/demo/$f" ] || { echo "demo folder lacks $f"; exit 1; }
done
for d in logs html Excel; do
    [ -d "$home/demo/$d" ] || { echo "demo folder lacks the $d folder"; exit 1; }
done
for tag in Port Savehtml SaveExcel LogDelay LogOn DisplayRPM DisplayWS WSUnits; do
    grep -q "<$tag>.*</$tag>" "$home/demo/prog.cfg" || { echo "demo prog.cfg lacks $tag"; exit 1; }
done
for tag in VoltDivider VoltOffset AmpDivider RPMDivider WSDivider; do
    grep -q "<$tag>.*</$tag>" "$home/demo/settings.cfg" || { echo "demo settings.cfg lacks $tag"; exit 1; }
done
for p in VV II WW WH RR SS TT MM; do
    grep -q "<$p>" "$home/demo/html/template.asp" || { echo "sample template lacks <$p>"; exit 1; }
done
# A second preparation keeps what the user changed.
echo "<Port>2</Port>" > "$home/demo/prog.cfg"
scripts/prepare-demo.sh "$home/demo"
grep -q "<Port>2</Port>" "$home/demo/prog.cfg" || { echo "prepare-demo overwrote prog.cfg"; exit 1; }
echo "README quick start and demo folder: ok"

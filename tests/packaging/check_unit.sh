#!/usr/bin/env bash
# systemd-analyze verify over a copy of the unit whose ExecStart names a
# program that exists here, then the settings an unattended site relies on.
# verify exits 0 even on unknown keys or bad values, so any output fails.
# Usage: check_unit.sh UNIT_FILE PROGRAM
set -euo pipefail
unit=$1
program=$2

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sed "s|^ExecStart=/usr/bin/korvaned |ExecStart=$program |" "$unit" >"$dir/korvaned.service"
grep -q "^ExecStart=$program --home /var/lib/korvane\$" "$dir/korvaned.service" || {
    echo "FAIL: ExecStart is not /usr/bin/korvaned --home /var/lib/korvane" >&2
    exit 1
}
if ! report=$(systemd-analyze verify "$dir/korvaned.service" 2>&1) || [ -n "$report" ]; then
    echo "FAIL: systemd-analyze verify:" >&2
    echo "$report" >&2
    exit 1
fi

# section=key=value lines that must hold, each for a reason a site would feel.
required=(
    "Unit=StartLimitIntervalSec=0"      # repeated power cuts never leave it dead
    "Service=Type=notify"               # ready only once korvaned says READY=1
    "Service=WatchdogSec=30"            # a hung korvaned is restarted
    "Service=Restart=always"
    "Service=User=korvane"
    "Service=SupplementaryGroups=dialout"
    "Service=StateDirectory=korvane"
    "Service=ProtectSystem=strict"
    "Install=WantedBy=multi-user.target" # starts at boot without a login
)
failures=0
actual=$(awk '/^\[/ { section = substr($0, 2, length($0) - 2); next }
              /^[A-Za-z]/ { print section "=" $0 }' "$unit")
for line in "${required[@]}"; do
    grep -qxF "$line" <<<"$actual" || { echo "FAIL: the unit lacks $line" >&2; failures=$((failures + 1)); }
done
# The serial adapter lives under /dev: a private /dev would hide it.
if grep -qE '^(PrivateDevices=(yes|true|1)|DevicePolicy=closed|DevicePolicy=strict)' "$unit"; then
    echo "FAIL: the unit hides the serial devices" >&2
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || exit 1
echo "unit: verified"

#!/usr/bin/env bash
# Installs what Korvane needs to build, test and run on Debian 12, skipping
# packages that are already there.  Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth imagemagick
    fonts-liberation2 fonts-urw-base35
    libsqlite3-dev sqlite3 qt6-charts-dev libqt6opengl6-dev dbus-daemon
    libmosquitto-dev mosquitto mosquitto-clients openssl
    libmicrohttpd-dev libsystemd-dev systemd
    chromium
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

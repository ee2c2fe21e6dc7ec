#!/usr/bin/env bash
# Installs what the arm64 cross-build, its packages and its emulated tests need
# on a Debian 12 amd64 machine, beside the amd64 set of install-deps.sh:
# the arm64 architecture, the cross compilers, the :arm64 development
# packages and qemu-user-static.  Skips what is already there; uses sudo when
# not run as root.
#   scripts/install-deps-arm64.sh          install what is missing
#   scripts/install-deps-arm64.sh --check  only say what is missing (exit 1)
set -euo pipefail

host_packages=(crossbuild-essential-arm64 qemu-user-static dpkg-dev file)
arm64_packages=(
    libc6-dev qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
    libsqlite3-dev libmosquitto-dev libmicrohttpd-dev libsystemd-dev
    libgtest-dev libgmock-dev
)

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for p in "${host_packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${arm64_packages[@]}"; do installed "$p:arm64" || missing+=("$p:arm64"); done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "${1:-}" = "--check" ]; then
    echo "The arm64 build needs these packages, which are not installed:" >&2
    echo "  ${missing[*]}" >&2
    echo "Install them with scripts/install-deps-arm64.sh (it adds the arm64" >&2
    echo "architecture first: dpkg --add-architecture arm64; apt-get update)." >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    $sudo dpkg --add-architecture arm64
fi
$sudo apt-get update -qq
# Some arm64 packages' maintainer scripts try to run arm64 helpers (gdk-pixbuf
# prints "Exec format error" without binfmt); apt still exits 0 and the
# libraries are complete, which the check below confirms.
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

still=()
for p in "${host_packages[@]}"; do installed "$p" || still+=("$p"); done
for p in "${arm64_packages[@]}"; do installed "$p:arm64" || still+=("$p:arm64"); done
if [ ${#still[@]} -ne 0 ]; then
    echo "These packages did not install: ${still[*]}" >&2
    exit 1
fi

#!/usr/bin/env bash
# Builds a release of Korvane and packs it as a .deb for Debian 12.
# Usage: scripts/package.sh   -> build-package/korvane_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dpkg-query -W dpkg-dev >/dev/null 2>&1 || {
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y -qq dpkg-dev
}
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DKORVANE_BENCH=OFF
cmake --build build-package -j2 --target korvane korvane-board-sim
(cd build-package && cpack)
ls -l build-package/*.deb

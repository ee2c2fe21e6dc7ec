#!/usr/bin/env bash
# Builds a release of Korvane and packs it as two Debian 12 packages: korvane
# (the desktop program) and korvaned (the headless service).
# Usage: scripts/package.sh               -> build-package/korvane{,d}_<version>_amd64.deb
#        scripts/package.sh --arch arm64  -> build-package-arm64/korvane{,d}_<version>_arm64.deb
#                                           (cross-built, for a Raspberry Pi on 64-bit Debian 12)
set -euo pipefail
cd "$(dirname "$0")/.."

arch=amd64
case "${1:-}" in
    "") ;;
    --arch)
        arch=${2:?"--arch needs amd64 or arm64"}
        ;;
    --arch=*) arch=${1#--arch=} ;;
    -h | --help)
        sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *)
        echo "package.sh: unknown option '$1' (use --arch amd64 or --arch arm64)" >&2
        exit 2
        ;;
esac

scripts/install-deps.sh
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
for p in dpkg-dev file; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        $sudo apt-get install -y -qq --no-install-recommends "$p"
done

options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
    -DBUILD_TESTING=OFF -DKORVANE_BENCH=OFF)
case "$arch" in
    amd64)
        build=build-package
        ;;
    arm64)
        build=build-package-arm64
        scripts/install-deps-arm64.sh
        # Said plainly before CMake would fail on a missing arm64 Qt.
        scripts/install-deps-arm64.sh --check
        options+=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake")
        ;;
    *)
        echo "package.sh: no packages for architecture '$arch' (use amd64 or arm64)" >&2
        exit 2
        ;;
esac

# Every program in a package must be built for its architecture and load only
# libraries of that architecture: a host library leaking into the link would
# show as an x86-64 dependency or a search path into the host's folders.
check_binaries() {
    local deb=$1 dir elf machine lib bad=0
    dir=$(mktemp -d)
    dpkg-deb -x "$deb" "$dir"
    case "$arch" in
        amd64) machine="x86-64" libdirs=(/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu /lib64) ;;
        arm64) machine="ARM aarch64" libdirs=(/lib/aarch64-linux-gnu /usr/lib/aarch64-linux-gnu /lib) ;;
    esac
    while IFS= read -r elf; do
        if ! file -b "$elf" | grep -q "ELF 64-bit.*$machine"; then
            echo "package.sh: ${elf#"$dir"} is not $machine: $(file -b "$elf")" >&2
            bad=1
        fi
        if readelf -d "$elf" | grep -qE "R(UN)?PATH"; then
            echo "package.sh: ${elf#"$dir"} carries a library search path:" \
                "$(readelf -d "$elf" | grep -E "R(UN)?PATH")" >&2
            bad=1
        fi
        for lib in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
            local found=""
            for d in "${libdirs[@]}"; do [ -e "$d/$lib" ] && found=1; done
            if [ -z "$found" ]; then
                echo "package.sh: ${elf#"$dir"} needs $lib, which no $arch library folder has" >&2
                bad=1
            fi
        done
    done < <(find "$dir" -type f -exec sh -c 'file -b "$1" | grep -q "^ELF"' _ {} \; -print)
    rm -rf "$dir"
    [ "$bad" -eq 0 ] || exit 1
    echo "$(basename "$deb"): Architecture $(dpkg-deb -f "$deb" Architecture)," \
        "Depends: $(dpkg-deb -f "$deb" Depends)"
}

cmake -S . -B "$build" "${options[@]}"
cmake --build "$build" -j2 --target korvane korvane-board-sim korvaned
rm -f "$build"/*.deb
(cd "$build" && cpack)
for deb in "$build"/*.deb; do check_binaries "$deb"; done
ls -l "$build"/*.deb

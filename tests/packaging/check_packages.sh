#!/usr/bin/env bash
# Packs this build tree with CPack into a temporary folder and inspects the
# packages as a user's dpkg would see them: names, architecture against the
# programs inside, dependencies, files and maintainer scripts.
# Usage: check_packages.sh BUILD_DIR PREFIX [korvaned]
set -euo pipefail
build=$1
prefix=$2
want_service=${3:-}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    echo "FAIL: cpack could not pack the build tree" >&2
    exit 1
fi

# The Debian architecture a program inside was built for, from its ELF header.
deb_arch_of() {
    case "$(file -b "$1")" in
        *"ELF 64-bit"*"x86-64"*) echo amd64 ;;
        *"ELF 64-bit"*"ARM aarch64"*) echo arm64 ;;
        *) echo "unknown: $(file -b "$1")" ;;
    esac
}

# check_package NAME PROGRAM WANTED_FILES... -- FORBIDDEN_DEPENDS_REGEX REQUIRED_DEPENDS...
check_package() {
    local name=$1 program=$2
    shift 2
    local debs=("$out"/"${name}"_*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        fail "$name: expected one ${name}_<version>_<arch>.deb, found: $(ls "$out")"
        return
    fi
    local deb=${debs[0]}
    local package arch depends listing
    package=$(dpkg-deb -f "$deb" Package)
    arch=$(dpkg-deb -f "$deb" Architecture)
    depends=$(dpkg-deb -f "$deb" Depends)
    listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
    [ "$package" = "$name" ] || fail "$name: Package is '$package'"
    [[ "$(basename "$deb")" == "${name}_"*"_${arch}.deb" ]] || fail "$name: file name $(basename "$deb")"

    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        grep -qxF "$1" <<<"$listing" || fail "$name: no $1 in the package"
        shift
    done
    shift
    local forbidden=$1
    shift
    if [ -n "$forbidden" ] && grep -qE "$forbidden" <<<"$depends"; then
        fail "$name: Depends names a desktop library: $depends"
    fi
    for d in "$@"; do
        grep -qE "(^|, )$d( |,|$)" <<<"$depends" || fail "$name: Depends lacks $d: $depends"
    done

    mkdir -p "$out/x-$name"
    dpkg-deb -x "$deb" "$out/x-$name"
    local found
    found=$(deb_arch_of "$out/x-$name$program")
    [ "$found" = "$arch" ] || fail "$name: Architecture $arch but $program is $found"
    echo "$name: $(basename "$deb"), Depends: $depends"
}

check_package korvane "$prefix/libexec/korvane/korvane" \
    ".$prefix/bin/korvane" ".$prefix/libexec/korvane/korvane" ".$prefix/bin/korvane-board-sim" \
    ".$prefix/share/korvane/prog.cfg" ".$prefix/share/korvane/settings.cfg" \
    ".$prefix/share/korvane/template.asp" ".$prefix/share/applications/korvane.desktop" \
    ".$prefix/share/applications/korvane-simulator.desktop" \
    ".$prefix/share/icons/hicolor/scalable/apps/korvane.svg" \
    -- "" libqt6widgets6 libqt6serialport6 qt6-qpa-plugins

if [ "$want_service" = korvaned ]; then
    check_package korvaned "$prefix/bin/korvaned" \
        ".$prefix/bin/korvaned" "./lib/systemd/system/korvaned.service" \
        -- "libqt6(widgets|gui|charts|opengl)" libqt6core6 adduser
    deb=$(ls "$out"/korvaned_*.deb)
    mkdir -p "$out/control"
    dpkg-deb -e "$deb" "$out/control"
    for s in postinst prerm postrm; do
        [ -x "$out/control/$s" ] || fail "korvaned: no executable $s"
    done
    if dpkg-deb -c "$deb" | awk '{print $6}' | grep -qE 'libexec/korvane|applications|board-sim'; then
        fail "korvaned: carries files of the desktop package"
    fi
fi

[ "$failures" -eq 0 ] || exit 1
echo "packages: all checks passed"

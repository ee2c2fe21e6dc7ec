#!/usr/bin/env bash
# Runs korvaned's maintainer scripts as dpkg would in a chroot or an image
# build (no running systemd, dpkg --root): the real deb-systemd-helper works
# in a scratch root, and every other command they may call is a stand-in that
# records its arguments, so nothing on this machine changes.
# Usage: check_maintainer_scripts.sh PACKAGING_DIR
set -euo pipefail
src=$1
unit=korvaned.service

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A fresh scratch root and stand-ins; WITH_HELPER=0 leaves deb-systemd-helper out.
setup() {
    rm -rf "$work/root" "$work/bin"
    root=$work/root
    mkdir -p "$root/lib/systemd/system" "$root/etc/systemd/system" "$root/var/lib/systemd" \
        "$root/var/lib/korvane" "$work/bin"
    cp "$src/$unit" "$root/lib/systemd/system/$unit"
    echo "minutes" >"$root/var/lib/korvane/korvane.db"
    : >"$work/calls"
    : >"$work/users"
    for cmd in adduser systemctl deb-systemd-invoke rm deluser userdel; do
        printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$cmd" "$work/calls" >"$work/bin/$cmd"
    done
    # adduser --system makes the user that getent then finds.
    printf '#!/bin/sh\necho "adduser $*" >>"%s"\ncase " $* " in *" --system "*) echo korvane >>"%s";; esac\n' \
        "$work/calls" "$work/users" >"$work/bin/adduser"
    printf '#!/bin/sh\n[ "$1" = passwd ] && /usr/bin/grep -qx "$2" "%s" && echo "$2:x:999:999::/var/lib/korvane:/usr/sbin/nologin"\n' \
        "$work/users" >"$work/bin/getent"
    if [ "${WITH_HELPER:-1}" = 1 ]; then
        ln -s "$(command -v deb-systemd-helper)" "$work/bin/deb-systemd-helper"
    fi
    chmod +x "$work/bin"/*
}

# run SCRIPT ARGS...: as dpkg runs it, with only the stand-ins on PATH.
run() {
    local script=$1
    shift
    if ! env -i PATH="$work/bin" DPKG_ROOT="$root" DPKG_MAINTSCRIPT_PACKAGE=korvaned \
        DPKG_MAINTSCRIPT_NAME="$script" /bin/sh "$src/korvaned.$script" "$@" 2>>"$work/stderr"; then
        fail "$script $* exited non-zero: $(cat "$work/stderr")"
    fi
}

enabled() { [ -L "$root/etc/systemd/system/multi-user.target.wants/$unit" ]; }
called() { grep -qF -- "$1" "$work/calls"; }
never_called() {
    for c in "$@"; do
        ! grep -qE "^$c( |$)" "$work/calls" || fail "$case_name: called $(grep -E "^$c( |$)" "$work/calls")"
    done
}

case_name="first install"
setup
run postinst configure ""
called "adduser --quiet --system --group --home /var/lib/korvane --shell /usr/sbin/nologin" ||
    fail "$case_name: no system user made: $(cat "$work/calls")"
called "adduser --quiet korvane dialout" || fail "$case_name: korvane not added to dialout"
enabled || fail "$case_name: the unit is not enabled"
never_called systemctl deb-systemd-invoke rm

case_name="upgrade after the administrator disabled it"
setup
echo korvane >"$work/users"
run postinst configure ""
env -i PATH="$work/bin" DPKG_ROOT="$root" DPKG_MAINTSCRIPT_PACKAGE=korvaned \
    deb-systemd-helper disable "$unit"
: >"$work/calls"
run postinst configure 0.1.0
never_called systemctl deb-systemd-invoke rm
called "adduser --quiet --system" && fail "$case_name: made the user again"
enabled && fail "$case_name: enabled a unit the administrator had disabled"

case_name="remove, purge and install again"
setup
run postinst configure ""
run prerm remove
rm "$root/lib/systemd/system/$unit" # dpkg removes the files between prerm and postrm
run postrm remove
enabled && fail "$case_name: still enabled after remove"
run postrm purge
[ -e "$root/var/lib/systemd/deb-systemd-helper-enabled/$unit.dsh-also" ] &&
    fail "$case_name: enable state kept after purge"
[ "$(cat "$root/var/lib/korvane/korvane.db")" = minutes ] || fail "$case_name: the app folder was touched"
never_called systemctl deb-systemd-invoke rm deluser userdel
cp "$src/$unit" "$root/lib/systemd/system/$unit"
run postinst configure 0.1.0
enabled || fail "$case_name: not enabled again on the new install"

case_name="without deb-systemd-helper"
WITH_HELPER=0 setup
run postinst configure ""
called "systemctl enable $unit" || fail "$case_name: not enabled through systemctl: $(cat "$work/calls")"
grep -qE "^systemctl (start|restart|daemon-reload)" "$work/calls" &&
    fail "$case_name: tried to start without a running systemd"
run postrm purge
called "systemctl disable $unit" || fail "$case_name: not disabled through systemctl"
never_called rm deluser userdel

[ "$failures" -eq 0 ] || exit 1
echo "maintainer scripts: all cases passed"

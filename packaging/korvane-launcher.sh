#!/bin/sh
# Starts an installed Korvane with its data in a folder the user can write:
# $KORVANE_HOME, by default ~/Korvane, made on first start with the default
# settings, the logs, html and Excel folders and a sample web template.
#   korvane              run Korvane
#   korvane --simulator  also start the board simulator on com1 of the folder
#                        when no board is linked there
set -eu
share=@KORVANE_SHARE_DIR@
libexec=@KORVANE_LIBEXEC_DIR@
: "${KORVANE_HOME:=$HOME/Korvane}"
export KORVANE_HOME

mkdir -p "$KORVANE_HOME/logs" "$KORVANE_HOME/html" "$KORVANE_HOME/Excel"
[ -e "$KORVANE_HOME/prog.cfg" ] || cp "$share/prog.cfg" "$KORVANE_HOME/prog.cfg"
[ -e "$KORVANE_HOME/settings.cfg" ] || cp "$share/settings.cfg" "$KORVANE_HOME/settings.cfg"
[ -e "$KORVANE_HOME/html/template.asp" ] || cp "$share/template.asp" "$KORVANE_HOME/html/template.asp"

if [ "${1:-}" = "--simulator" ] && [ ! -e "$KORVANE_HOME/com1" ]; then
    rm -f "$KORVANE_HOME/com1"
    korvane-board-sim --home "$KORVANE_HOME" --port 1 &
    sim=$!
    trap 'kill $sim 2>/dev/null || true' EXIT INT TERM
    i=0
    while [ ! -e "$KORVANE_HOME/com1" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    "$libexec/korvane"
    exit $?
fi
exec "$libexec/korvane"

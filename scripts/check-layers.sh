#!/usr/bin/env bash
# The logic layers stay Qt-free: only ui/ and qt/ folders, app, station,
# service and the screenshot programs may include Qt.  Prints the offending lines and fails when one does.
set -euo pipefail
cd "$(dirname "$0")/.."
hits=$(grep -rn -E '#include\s*<Q' src tools \
    --include='*.h' --include='*.cpp' \
    | grep -v -E '^src/[a-z]+/(ui|qt)/|^src/(app|station|service)/|^tools/screenshots/' || true)
if [ -n "$hits" ]; then
    echo "Qt used in a logic layer:"
    echo "$hits"
    exit 1
fi

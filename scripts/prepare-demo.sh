#!/usr/bin/env bash
# Prepares a demo app folder: settings (kept when already there), the logs,
# html and Excel folders, and a sample web page template.
# Usage: scripts/prepare-demo.sh <folder>
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
home="${1:?usage: prepare-demo.sh <folder>}"
mkdir -p "$home/logs" "$home/html" "$home/Excel"
[ -e "$home/prog.cfg" ] || cp "$src/data/demo-prog.cfg" "$home/prog.cfg"
[ -e "$home/settings.cfg" ] || cp "$src/data/settings.cfg" "$home/settings.cfg"
[ -e "$home/html/template.asp" ] || cp "$src/data/template.asp" "$home/html/template.asp"

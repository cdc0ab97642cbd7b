#!/usr/bin/env bash
# Takes the pictures of docs/screenshots/ again, through the real program on the built-in
# simulated PC under a virtual X server: the main window with the first drive selected, and the
# same window after a sample upgrade file has been sent to that drive.
#
#   tools/screenshots.sh [BUILD_DIR]     (default: build/default)
#
# Needs xvfb-run (packages xvfb and xauth) and fonts-dejavu-core; korvel-upgrade and
# korvel-make-image must be built in BUILD_DIR.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build/default}" && pwd)"
out="$root/docs/screenshots"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir -p "$out"
# The first drive of the built-in PC takes format B files; 1.10 is newer than the 1.00 it has.
"$build/tools/korvel-make-image" --format B --revision 1.10 "$work/RZ5140-110.bin" >/dev/null

# 96 dpi, so that the 8-point dialog font has the pixel size the layout is checked at.
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96" \
  env QT_QPA_PLATFORM=xcb "$build/src/app/korvel-upgrade" --simulate \
  --screenshot-script "$out" --screenshot-image "$work/RZ5140-110.bin"

echo "Written: $out/korvel-upgrade-drive-selected.png $out/korvel-upgrade-after-upgrade.png"

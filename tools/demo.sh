#!/usr/bin/env bash
# The demo on the built-in simulated PC: write a new format B firmware image, list the drives,
# check the file against the RZ5140 at 0:2 and flash it, showing the firmware version before
# and after. Each korvelfw --simulate run boots a fresh simulated PC, so the version "after"
# comes from the upgrade run itself.
set -euo pipefail
build="${1:-build/default}"
korvelfw="$build/src/cli/korvelfw"
make_image="$build/tools/korvel-make-image"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
image="$work/RZ5140-150.bin"

echo "== Writing a sample upgrade file (format B, revision 1.50)"
"$make_image" --format B --revision 1.50 "$image"
echo
echo "== korvelfw --simulate scan"
"$korvelfw" --simulate scan
echo
echo "== korvelfw --simulate check $image --drive 0:2"
"$korvelfw" --simulate check "$image" --drive 0:2
echo
echo "== korvelfw --simulate upgrade $image --drive 0:2 --yes"
"$korvelfw" --simulate upgrade "$image" --drive 0:2 --yes

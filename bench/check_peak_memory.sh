#!/usr/bin/env bash
# Peak memory of korvelfw check on a 1 GiB sparse upgrade file: a valid format B image at its
# start and a hole after it. Only the image's 512 KiB may be read, so the figure stays that of
# a small file; compare it with the plain 512 KiB file printed first.
set -euo pipefail
build="${1:-build/default}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tools/korvel-make-image" --format B --revision 1.50 "$work/small.bin" >/dev/null
cp "$work/small.bin" "$work/huge.bin"
truncate -s 1G "$work/huge.bin"
echo "512 KiB file:"
"$build/bench/peak_rss" "$build/src/cli/korvelfw" --simulate check "$work/small.bin" --drive 0:2
echo "1 GiB sparse file:"
"$build/bench/peak_rss" "$build/src/cli/korvelfw" --simulate check "$work/huge.bin" --drive 0:2

#!/usr/bin/env bash
# The developer tools refuse an empty output name, and an output that is no file (a folder, a
# FIFO, a device), with a reason and at once, rather than waiting for a FIFO's reader; a folder
# that does not exist is named with the system's reason; and a file to replace is written.
#
#     output-refusal.sh BUILD_DIR
set -uo pipefail
build="$1"
make_image="$build/tools/korvel-make-image"
disc_sectors="$build/tools/korvel-disc-sectors"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkfifo "$work/fifo"
failures=0

# expect NAME EXIT TEXT COMMAND...: the command ends within 10 s with EXIT and TEXT on stderr.
expect() {
  local name="$1" exit="$2" text="$3"
  shift 3
  timeout 10 "$@" >/dev/null 2>"$work/err"
  local status=$?
  if [ "$status" != "$exit" ] || { [ -n "$text" ] && ! grep -qF -- "$text" "$work/err"; }; then
    echo "FAIL $name: exit $status (expected $exit), stderr: $(cat "$work/err")"
    failures=$((failures + 1))
  fi
}

image=(--format B --revision 1.50)
expect make-image-folder 2 "cannot write $work: it is a folder; name a file in it" \
  "$make_image" "${image[@]}" "$work"
expect make-image-fifo 2 "cannot write $work/fifo: it is a FIFO, a socket or a device, not a file" \
  "$make_image" "${image[@]}" "$work/fifo"
expect make-image-no-folder 1 "cannot write $work/none/a.bin: No such file or directory" \
  "$make_image" "${image[@]}" "$work/none/a.bin"
expect make-image-empty-name 2 "OUTPUT: the name is empty; name the file to write" \
  "$make_image" "${image[@]}" ""
expect disc-sectors-fifo 1 "cannot write $work/fifo: it is a FIFO, a socket or a device, not a file" \
  "$disc_sectors" tone "$work/fifo" --blocks 1

echo old >"$work/a.bin"
expect make-image-replace 0 "" "$make_image" "${image[@]}" "$work/a.bin"
if [ "$(stat -c %s "$work/a.bin")" != 524288 ]; then
  echo "FAIL make-image-replace: $(stat -c %s "$work/a.bin") bytes written, expected 524288"
  failures=$((failures + 1))
fi

[ "$failures" = 0 ] && echo "output refusal: all checks passed"
exit $((failures > 0))

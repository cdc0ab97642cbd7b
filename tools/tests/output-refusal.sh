#!/usr/bin/env bash
# The developer tools refuse an empty output name, and an output that is no file (a folder, a
# FIFO, a device), with a reason and at once, rather than waiting for a FIFO's reader; a folder
# that does not exist is named with the system's reason; and a file to replace is written.
# korvel-disc-sectors refuses an input it cannot turn into sectors the same way, naming it, and
# bad usage of it is exit 2.
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

# expect_exact NAME EXIT TEXT COMMAND...: as expect, with TEXT the whole of stderr.
expect_exact() {
  local name="$1" exit="$2" text="$3"
  shift 3
  timeout 10 "$@" >/dev/null 2>"$work/err"
  local status=$?
  if [ "$status" != "$exit" ] || [ "$(cat "$work/err")" != "$text" ]; then
    echo "FAIL $name: exit $status (expected $exit), stderr: $(cat "$work/err")"
    echo "     expected stderr: $text"
    failures=$((failures + 1))
  fi
}

# expect_kept NAME FILE CHECKSUM: FILE still holds what it held.
expect_kept() {
  if [ "$(cksum <"$2")" != "$3" ]; then
    echo "FAIL $1: $2 was changed"
    failures=$((failures + 1))
  fi
}

# The input of raw is checked before the output is touched: it must be a regular file of whole
# 2048-byte sectors that is not the output itself. A FIFO must not hang, and /dev/zero must not
# fill the disk (the file size limit stops a tool that would write without end).
head -c $((4 * 2048)) /dev/urandom >"$work/four.iso"
four="$(cksum <"$work/four.iso")"
ln "$work/four.iso" "$work/four-link.iso"
ln -s "$work/four.iso" "$work/four-symlink.iso"
head -c 3000 /dev/zero >"$work/part.iso"
: >"$work/empty.iso"
mkdir "$work/folder"
echo old >"$work/kept.raw"
kept="$(cksum <"$work/kept.raw")"
expect_exact raw-same-file 2 \
  "korvel-disc-sectors: the output $work/four.iso is the same file as the input $work/four.iso; name another file" \
  "$disc_sectors" raw "$work/four.iso" "$work/four.iso"
expect_kept raw-same-file "$work/four.iso" "$four"
expect_exact raw-hard-link 2 \
  "korvel-disc-sectors: the output $work/four-link.iso is the same file as the input $work/four.iso; name another file" \
  "$disc_sectors" raw "$work/four.iso" "$work/four-link.iso"
expect_kept raw-hard-link "$work/four.iso" "$four"
expect_exact raw-symlink 2 \
  "korvel-disc-sectors: the output $work/four-symlink.iso is the same file as the input $work/four.iso; name another file" \
  "$disc_sectors" raw "$work/four.iso" "$work/four-symlink.iso"
expect_kept raw-symlink "$work/four.iso" "$four"
expect_exact raw-fifo-input 2 \
  "korvel-disc-sectors: cannot read $work/fifo: it is a FIFO, a socket or a device, not a file" \
  "$disc_sectors" raw "$work/fifo" "$work/kept.raw"
expect_exact raw-device-input 2 \
  "korvel-disc-sectors: cannot read /dev/zero: it is a FIFO, a socket or a device, not a file" \
  bash -c 'ulimit -f 4096 && exec "$0" "$@"' "$disc_sectors" raw /dev/zero "$work/kept.raw"
expect_exact raw-folder-input 2 \
  "korvel-disc-sectors: cannot read $work/folder: it is a folder; name the image file" \
  "$disc_sectors" raw "$work/folder" "$work/kept.raw"
expect_exact raw-missing-input 2 \
  "korvel-disc-sectors: cannot read $work/none.iso: No such file or directory" \
  "$disc_sectors" raw "$work/none.iso" "$work/kept.raw"
expect_exact raw-part-sector 2 \
  "korvel-disc-sectors: $work/part.iso holds 3000 bytes, not a whole number of 2048-byte sectors" \
  "$disc_sectors" raw "$work/part.iso" "$work/kept.raw"
expect_exact raw-empty-input 2 \
  "korvel-disc-sectors: $work/empty.iso holds 0 bytes, not a whole number of 2048-byte sectors" \
  "$disc_sectors" raw "$work/empty.iso" "$work/kept.raw"
expect_exact raw-past-the-disc 2 \
  "korvel-disc-sectors: $work/four.iso holds 4 sectors; from --start 449848 they run past 449849, the last address of a disc" \
  "$disc_sectors" raw "$work/four.iso" "$work/kept.raw" --start 449848
expect_kept raw-refused-inputs "$work/kept.raw" "$kept"
expect raw-written 0 "" "$disc_sectors" raw "$work/four.iso" "$work/four.raw" --mode 2
if [ "$(stat -c %s "$work/four.raw")" != $((4 * 2352)) ]; then
  echo "FAIL raw-written: $(stat -c %s "$work/four.raw") bytes written, expected $((4 * 2352))"
  failures=$((failures + 1))
fi

# Bad usage is exit 2, whatever the parser found wrong; a frequency must be a finite number in
# range.
expect usage-no-subcommand 2 "" "$disc_sectors"
expect usage-missing-output 2 "output is required" "$disc_sectors" raw "$work/four.iso"
expect usage-unknown-option 2 "The following argument was not expected: --frob" \
  "$disc_sectors" raw "$work/four.iso" "$work/out.raw" --frob
expect usage-bad-mode 2 "--mode" "$disc_sectors" raw "$work/four.iso" "$work/out.raw" --mode 3
expect usage-no-blocks 2 "--blocks" "$disc_sectors" tone "$work/tone.raw" --blocks 0
for hertz in nan inf -inf -5 19.99 20001 1e400; do
  expect_exact "tone-hertz-$hertz" 2 \
    "korvel-disc-sectors: --hertz takes a frequency from 20 to 20000, not \"$hertz\"" \
    "$disc_sectors" tone "$work/tone.raw" --blocks 1 --hertz "$hertz"
done
expect tone-hertz-written 0 "" "$disc_sectors" tone "$work/tone.raw" --blocks 1 --hertz 20000
expect usage-help 0 "" "$disc_sectors" --help

echo old >"$work/a.bin"
expect make-image-replace 0 "" "$make_image" "${image[@]}" "$work/a.bin"
if [ "$(stat -c %s "$work/a.bin")" != 524288 ]; then
  echo "FAIL make-image-replace: $(stat -c %s "$work/a.bin") bytes written, expected 524288"
  failures=$((failures + 1))
fi

# A run stopped half way (here by the file-size limit, SIGXFSZ) leaves the file it was to
# replace as it was, not cut: the new one is written aside and renamed when whole.
head -c $((2048 * 100)) /dev/zero >"$work/hundred.iso"
echo old >"$work/kept.bin"
for tool in raw tone make-image; do
  case "$tool" in
    raw) run=("$disc_sectors" raw "$work/hundred.iso" "$work/kept.bin") ;;
    tone) run=("$disc_sectors" tone "$work/kept.bin" --blocks 100) ;;
    make-image) run=("$make_image" "${image[@]}" "$work/kept.bin") ;;
  esac
  timeout 10 bash -c 'ulimit -f 64 && exec "$0" "$@"' "${run[@]}" >/dev/null 2>&1
  status=$?
  if [ "$status" = 0 ] || [ "$(cat "$work/kept.bin")" != old ]; then
    echo "FAIL stopped-$tool-keeps-the-old-file: exit $status, $(stat -c %s "$work/kept.bin") bytes"
    failures=$((failures + 1))
  fi
done

[ "$failures" = 0 ] && echo "output refusal: all checks passed"
exit $((failures > 0))

#!/usr/bin/env bash
# korvel-tcmu takes its --log as korvelfw takes its command log: a regular file or a character
# device such as /dev/null. A FIFO (refused at once, never waited on), a folder or a block device
# is refused, and so is the scenario or a disc image it names; a log that would do is not
# touched before the UIO node has been found to be a TCM user device.
#
#     log-refusal.sh KORVEL_TCMU
set -uo pipefail
tcmu="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

# expect NAME EXIT TEXT ARGUMENTS...: korvel-tcmu ends within 10 s with EXIT and TEXT as the
# whole of stderr (TEXT "*" takes any).
expect() {
  local name="$1" exit="$2" text="$3"
  shift 3
  timeout 10 "$tcmu" "$@" >/dev/null 2>"$work/err"
  local status=$?
  if [ "$status" != "$exit" ] || { [ "$text" != "*" ] && [ "$(cat "$work/err")" != "$text" ]; }; then
    echo "FAIL $name: exit $status (expected $exit), stderr: $(cat "$work/err")"
    [ "$text" != "*" ] && echo "     expected stderr: $text"
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

head -c $((16 * 2048)) /dev/urandom >"$work/data.iso"
cat >"$work/pc.json" <<'EOF'
{"os": "win98", "aspi": {"installed": true}, "adapters": [
  {"id": 0, "driver": "vxscsi", "host_id": 7, "targets": [
    {"id": 2, "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00",
     "disc": {"iso": "data.iso"}}]}]}
EOF
scenario="$(cksum <"$work/pc.json")"
iso="$(cksum <"$work/data.iso")"
ln -s "$work/pc.json" "$work/pc-symlink.json"
ln "$work/data.iso" "$work/data-link.iso"
mkfifo "$work/fifo"
mkdir "$work/folder"
echo "an old log" >"$work/old.log"
old="$(cksum <"$work/old.log")"
run=(--scenario "$work/pc.json" --device 0:2)
not_a_file="not a regular file or a character device such as /dev/null"

# Logs that would do, first while the scenario is whole: the run goes on to the node, which
# /dev/null is not.
expect dev-null 3 "*" "${run[@]}" --log /dev/null /dev/null
expect old-log 3 "*" "${run[@]}" --log "$work/old.log" /dev/null
expect_kept old-log "$work/old.log" "$old"

expect fifo 2 "korvel-tcmu: cannot write the command log $work/fifo: it is a FIFO, $not_a_file" \
  "${run[@]}" --log "$work/fifo" /dev/null
expect folder 2 \
  "korvel-tcmu: cannot write the command log $work/folder: it is a folder, $not_a_file" \
  "${run[@]}" --log "$work/folder" /dev/null
# A block device is never opened: the refusal comes from its kind alone. A node of our own for a
# loop device nobody uses where we may make one, an existing loop device otherwise.
block="$work/block"
mknod "$block" b 7 250 2>/dev/null || block="$(find /dev -maxdepth 1 -name 'loop[0-9]*' -type b -print -quit 2>/dev/null)"
if [ -n "$block" ]; then
  expect block-device 2 \
    "korvel-tcmu: cannot write the command log $block: it is a block device, $not_a_file" \
    "${run[@]}" --log "$block" /dev/null
else
  echo "SKIP block-device: this machine has no block device node in /dev"
fi
expect scenario 2 \
  "korvel-tcmu: the command log $work/pc.json is the same file as the scenario $work/pc.json; name another file" \
  "${run[@]}" --log "$work/pc.json" /dev/null
expect scenario-symlink 2 \
  "korvel-tcmu: the command log $work/pc-symlink.json is the same file as the scenario $work/pc.json; name another file" \
  "${run[@]}" --log "$work/pc-symlink.json" /dev/null
expect disc-image 2 \
  "korvel-tcmu: the command log $work/data-link.iso is the same file as the disc image $work/data.iso; name another file" \
  "${run[@]}" --log "$work/data-link.iso" /dev/null
expect_kept scenario "$work/pc.json" "$scenario"
expect_kept disc-image "$work/data.iso" "$iso"

[ "$failures" = 0 ] && echo "log refusal: all checks passed"
exit $((failures > 0))

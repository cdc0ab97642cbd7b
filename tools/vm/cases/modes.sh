# A drive's block length and mode pages after korvelfw: disc-info switches an RZ5140 (6-byte
# mode commands) to 2352-byte blocks for a raw read and must put it back with the default list,
# although the drive refuses the MODE SENSE(6) of page 0 that would have told what to put back;
# and no verb leaves a mode page changed. The drives, each with the sample data CD:
#
#   tcm_loop (korvel-tcmu)  target 1  an emulated RZ5140     target 2  an emulated RZ6120
#   virtio-scsi             target 4  QEMU's own CD device, named an RZ5140
#
# QEMU's CD device gives no block descriptor and takes no block length but 512 x 2^n, so it
# never goes to 2352; what it was sent, and READ CAPACITY, show what korvelfw did.

discs="$RIG_BUILD/scenarios/discs"
GUEST_FILES=(
  "$RIG_BUILD/src/tcmu/korvel-tcmu" /sbin/blkid
  "$discs/data-cd.json" "$discs/data-cd.iso"
)
GUEST_MODULES=(uio configfs target_core_mod target_core_user tcm_loop isofs)
QEMU_ARGS=(
  -device virtio-scsi-pci,id=vs0
  -drive if=none,id=disc4,file="$discs/data-cd.iso",format=raw,media=cdrom,readonly=on
  -device scsi-cd,bus=vs0.0,scsi-id=4,drive=disc4,vendor=KORVEL,product="CD-R   RZ5140",ver=1.00
)
RIG_TIMEOUT=420

guest_script() {
  cat <<'GUEST'
# modes FILE SG CDB...: the drive's answer to a MODE SENSE of all pages, current values, as hex.
modes() {
  local file="$1" sg="$2"
  shift 2
  rm -f "$file"
  sg_raw -o "$file.bin" -r 255 "$sg" "$@" </dev/null >/dev/null 2>&1
  od -An -tx1 -v "$file.bin" | tr -s ' \n' ' ' >"$file"
}

# block_length FILE: bytes 9..11 of a MODE SENSE(6) answer with one block descriptor.
block_length() {
  set -- $(cat "$1")
  [ "$4" = 08 ] && echo $((0x${10}${11}${12}))
}

# restores_default NAME LOG: the last MODE SELECT(6) in korvelfw's command log carried the
# default list (block length 2048).
restores_default() {
  grep '"cdb":"15 00 00 00 0C 00"' "$2" | tail -n 1 >/tmp/last-select
  expect "$1" '"data_out":"00 00 00 08 00 00 00 00 00 00 08 00"' /tmp/last-select
}

# readcap_length SG: the block length READ CAPACITY gives.
readcap_length() {
  sg_readcap "$1" </dev/null 2>/dev/null | sed -n 's/.*block length=\([0-9]*\) bytes.*/\1/p'
}

# keeps_modes NAME SG "CDB" ARG...: korvelfw with the arguments leaves the mode pages as they
# were.
keeps_modes() {
  local name="$1" sg="$2" cdb="$3"
  shift 3
  modes /tmp/modes.before "$sg" $cdb
  korvelfw "$@" </dev/null >/tmp/verb.out 2>&1
  local status=$?
  modes /tmp/modes.after "$sg" $cdb
  if [ "$(wc -w </tmp/modes.before)" -lt 12 ]; then
    fail "$name" "MODE SENSE before the verb gave no answer"
  elif [ "$(cat /tmp/modes.before)" = "$(cat /tmp/modes.after)" ]; then
    pass "$name"
  else
    fail "$name" "korvelfw $* (exit $status) changed the mode pages from\
 $(cat /tmp/modes.before) to $(cat /tmp/modes.after)"
  fi
}

# readable NAME SR: the system still reads the disc through the block node: blkid names the file
# system, it mounts, and block 16 is the image's volume descriptor.
readable() {
  check "$1-blkid" 0 blkid -p "$2"
  expect "$1-blkid-iso9660" 'TYPE="iso9660"'
  mkdir -p /mnt/disc
  check "$1-mount" 0 mount -t iso9660 -o ro "$2" /mnt/disc
  [ "$RIG_STATUS" = 0 ] && check "$1-umount" 0 umount /mnt/disc
  dd if="$2" of=/tmp/block16.read bs=2048 skip=16 count=1 </dev/null 2>/dev/null
  check "$1-block-16" 0 cmp /tmp/block16.read /tmp/block16.image
}

load_modules scsi_mod uio configfs target_core_mod target_core_user tcm_loop isofs || exit 1
mount -t configfs configfs /sys/kernel/config || exit 1
sed -e 's/CD-R   RZ6120   /CD-R   RZ5140   /' -e 's|"data-cd.iso"|"/rig/files/data-cd.iso"|' \
  /rig/files/data-cd.json >/tmp/rz5140.json
sed -e 's|"data-cd.iso"|"/rig/files/data-cd.iso"|' /rig/files/data-cd.json >/tmp/rz6120.json
serve rz5140 /tmp/rz5140.json 0:2 1 || exit 1
serve rz6120 /tmp/rz6120.json 0:2 2 || exit 1
load_modules sg cdrom sr_mod virtio_pci virtio_scsi || exit 1
dd if=/rig/files/data-cd.iso of=/tmp/block16.image bs=2048 skip=16 count=1 </dev/null 2>/dev/null

loop=$(host_of tcm_loopback)
qemu=$(host_of virtio_scsi)
sg5140=$(sg_node "$loop:0:1:0") sr5140=$(sr_node "$loop:0:1:0")
sg6120=$(sg_node "$loop:0:2:0")
sgqemu=$(sg_node "$qemu:0:4:0") srqemu=$(sr_node "$qemu:0:4:0")
note "tcm_loop host $loop: $sg5140 $sr5140 $sg6120; virtio host $qemu: $sgqemu $srqemu"
[ -c "$sg5140" ] && [ -b "$sr5140" ] && [ -c "$sg6120" ] && [ -c "$sgqemu" ] && [ -b "$srqemu" ] ||
  { fail nodes "the drives have no sg or sr nodes"; exit 1; }

check scan 0 korvelfw scan
# Adapters are the hosts with a CD device in ascending order: the address of each drive.
at5140="$(awk '$2 == 1 && $3 == "KORVEL" { print $1 }' "$RIG_STDOUT"):1"
at6120="$(awk '$2 == 2 && $3 == "KORVEL" { print $1 }' "$RIG_STDOUT"):2"
atqemu="$(awk '$2 == 4 && $3 == "KORVEL" { print $1 }' "$RIG_STDOUT"):4"
expect scan-rz5140 '^[0-7] +1 +KORVEL +CD-R +RZ5140 +2\.00 +16 '
expect scan-qemu '^[0-7] +4 +KORVEL +CD-R +RZ5140 +1\.00 +16 '

sense6="1a 00 3f 00 ff 00"
sense10="5a 00 3f 00 00 00 00 00 ff 00"

# --- disc-info on the emulated RZ5140: its MODE SENSE(6) of page 0 is refused (05/24/00).
modes /tmp/rz5140.before "$sg5140" $sense6
expect_equal rz5140-block-length-before "$(block_length /tmp/rz5140.before)" 2048
check rz5140-disc-info 0 korvelfw --log-commands /tmp/rz5140-disc-info.log --drive "$at5140" \
  disc-info
expect rz5140-disc-info-class 'CD-ROM - Mode 1'
restores_default rz5140-restores-default /tmp/rz5140-disc-info.log
grep -q '^cdb 1A 00 00 00 0C 00,.*05/24/00' /tmp/rz5140.log &&
  pass rz5140-mode-sense-refused || fail rz5140-mode-sense-refused "page 0 was not refused"
modes /tmp/rz5140.after "$sg5140" $sense6
expect_equal rz5140-block-length-after "$(block_length /tmp/rz5140.after)" 2048
readable rz5140 "$sr5140"

# --- The same on QEMU's own CD device.
expect_equal qemu-block-length-before "$(readcap_length "$sgqemu")" 2048
check qemu-disc-info 0 korvelfw --log-commands /tmp/qemu-disc-info.log --drive "$atqemu" disc-info
grep -q '"cdb":"1A 00 00 00 0C 00".*"status":2' /tmp/qemu-disc-info.log &&
  pass qemu-mode-sense-refused || fail qemu-mode-sense-refused "page 0 was not refused"
restores_default qemu-restores-default /tmp/qemu-disc-info.log
expect_equal qemu-block-length-after "$(readcap_length "$sgqemu")" 2048
readable qemu "$srqemu"

# --- No verb leaves a mode page changed (upgrade changes the firmware, not the pages). Each
# drive starts at 2048-byte blocks, whatever the checks above left.
printf '\000\000\000\010\000\000\000\000\000\000\010\000' >/tmp/default.list
check rz5140-reset 0 sg_raw -s 12 -i /tmp/default.list "$sg5140" 15 00 00 00 0c 00
modes /tmp/rz5140.reset "$sg5140" $sense6
expect_equal rz5140-block-length-reset "$(block_length /tmp/rz5140.reset)" 2048
check make-image 0 korvel-make-image --format B --revision 1.10 /tmp/good.bin
for verb in scan host-info "check /tmp/good.bin" speed tracks disc-info; do
  word=${verb%% *}
  for drive in "rz5140 $sg5140 $at5140 6" "rz6120 $sg6120 $at6120 10" "qemu $sgqemu $atqemu 6"; do
    set -- $drive
    cdb=$sense6
    [ "$4" = 10 ] && cdb=$sense10
    case "$word" in
      scan | host-info) keeps_modes "$1-$word-keeps-modes" "$2" "$cdb" $verb ;;
      *) keeps_modes "$1-$word-keeps-modes" "$2" "$cdb" --drive "$3" $verb ;;
    esac
  done
done
show grep -c . /tmp/rz5140.log /tmp/rz6120.log
GUEST
}

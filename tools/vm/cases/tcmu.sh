# Emulated drives served to the real kernel by korvel-tcmu, the TCM user back end: each drive is
# a user_0 backstore (target_core_user) behind one tcm_loop host, so that the kernel's sg and sr
# drivers, korvelfw and the peers (sg3-utils, libcdio's cd-info) all reach the emulator through
# the kernel's own SCSI stack.
#
#   target 1  a Korvel RZ5140 without a disc, slow to restart: the firmware upgrade
#   target 2  the sample audio CD in an RZ6120          target 3  the sample data CD

discs="$RIG_BUILD/scenarios/discs"
GUEST_FILES=(
  "$RIG_BUILD/src/tcmu/korvel-tcmu"
  /usr/bin/cd-info
  "$discs/audio-cd.json" "$discs/audio-cd.cue" "$discs/audio-cd.bin"
  "$discs/data-cd.json" "$discs/data-cd.iso"
)
GUEST_MODULES=(uio configfs target_core_mod target_core_user tcm_loop)
RIG_TIMEOUT=420

guest_script() {
  cat <<'GUEST'
load_modules scsi_mod uio configfs target_core_mod target_core_user tcm_loop || exit 1
mount -t configfs configfs /sys/kernel/config || exit 1

cat >/tmp/upgrade.json <<'JSON'
{
  "os": "win98",
  "aspi": {"installed": true},
  "adapters": [{"id": 0, "targets": [
    {"id": 2, "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00",
     "restart_ms": 6000}
  ]}]
}
JSON

serve drive /tmp/upgrade.json 0:2 1 || exit 1
serve audio /rig/files/audio-cd.json 0:2 2 || exit 1
serve data /rig/files/data-cd.json 0:2 3 || exit 1
load_modules sg cdrom sr_mod || exit 1

host=$(host_of tcm_loopback)
sg1=$(sg_node "$host:0:1:0")
sg2=$(sg_node "$host:0:2:0")
sg3=$(sg_node "$host:0:3:0")
sr2=$(sr_node "$host:0:2:0")
sr3=$(sr_node "$host:0:3:0")
note "tcm_loop host $host: $sg1 $sg2 $sg3 $sr2 $sr3"
show cat /proc/scsi/scsi
[ -c "$sg1" ] && [ -c "$sg2" ] && [ -c "$sg3" ] && [ -b "$sr2" ] && [ -b "$sr3" ] ||
  { fail nodes "the loopback LUNs have no sg or sr nodes"; exit 1; }
for name in drive audio data; do
  check "$name-serving" 0 kill -0 "$(cat "/tmp/$name.pid")"
done
expect_equal attach-sr "$(sr_node "$host:0:1:0" | wc -l) $(echo "$sr2" | wc -l)" "1 1"

# --- The firmware upgrade, through sg and the real kernel.
check scan 0 korvelfw scan
expect scan-drive '^0 +1 +KORVEL +CD-R +RZ5140 +1\.00 +16 '
expect scan-audio '^0 +2 +KORVEL +CD-R +RZ6120 +2\.00 +18 '
expect scan-data '^0 +3 +KORVEL +CD-R +RZ6120 +2\.00 +18 '
check sg-inq 0 sg_inq "$sg1"
expect sg-inq-vendor 'Vendor identification: KORVEL'
expect sg-inq-product 'Product identification: CD-R   RZ5140'
expect sg-inq-revision 'Product revision level: 1\.00'
check make-good 0 korvel-make-image --format B --revision 1.10 /tmp/good.bin
check make-bad 0 korvel-make-image --format B --revision 1.20 --break checksum /tmp/bad.bin
check check-good 0 korvelfw --drive 0:1 check /tmp/good.bin
check check-bad 1 korvelfw --drive 0:1 check /tmp/bad.bin
check upgrade 0 korvelfw --drive 0:1 upgrade --yes /tmp/good.bin
expect upgrade-message '!! Upgrade finished succesfully !!'
expect upgrade-revision '1\.00 before, 1\.10 now'
# The drive restarts for 6 s after the save: NOT READY, then one UNIT ATTENTION.
check restart-not-ready 2 sg_turs "$sg1"
check restart-sense 0 sg_raw -r 18 "$sg1" 03 00 00 00 12 00
expect restart-sense-bytes '70 00 02 00 00 00 00 0a +00 00 00 00 04 01'
sleep 5
check restart-unit-attention 6 sg_turs "$sg1"
check restart-no-disc 2 sg_turs "$sg1"
check rescan 0 korvelfw scan
expect rescan-revision '^0 +1 +KORVEL +CD-R +RZ5140 +1\.10 +16 '
# A bad image sent by a peer: the drive itself refuses the save and keeps its firmware.
check peer-chunks 0 sg_write_buffer -m 4 -b 8192 -l 0x7e000 -I /tmp/bad.bin "$sg1"
check peer-save-refused 5 sg_write_buffer -v -m 5 -o 0x7e000 -s 0x7e000 -l 8192 -I /tmp/bad.bin \
  "$sg1"
expect peer-save-refused-why 'Invalid field in parameter list'
# The sense went to the peer with the CHECK CONDITION, so the drive keeps none of it, as a real
# drive does once its sense was delivered.
check peer-save-sense 0 sg_raw -r 18 "$sg1" 03 00 00 00 12 00
expect peer-save-sense-bytes '70 00 00 00 00 00 00 0a +00 00 00 00 00 00'
check inq-after-bad 0 sg_inq "$sg1"
expect inq-after-bad-revision 'Product revision level: 1\.10'
check scan-after-bad 0 korvelfw scan
expect scan-after-bad-revision '^0 +1 +KORVEL +CD-R +RZ5140 +1\.10 +16 '
served drive-log /tmp/drive.log

# --- The discs, through sr: korvelfw and the peers read the same tracks.
for pair in "audio $sg2 $sr2 2" "data $sg3 $sr3 3"; do
  set -- $pair
  check "$1-tracks" 0 korvelfw --drive "0:$4" tracks
  cp "$RIG_STDOUT" "/tmp/$1.tracks"
  check "$1-cd-info" 0 cd-info --no-cddb --no-device-info --no-analyze "$3"
  cp "$RIG_STDOUT" "/tmp/$1.cd-info"
  ours=$(korvelfw_tracks "/tmp/$1.tracks" | tr '\n' ';')
  theirs=$(cd_info_tracks "/tmp/$1.cd-info" | tr '\n' ';')
  note "$1 tracks: korvelfw $ours cd-info $theirs"
  [ -n "$ours" ] && expect_equal "$1-tracks-agree" "$ours" "$theirs"
  check "$1-readcap" 0 sg_readcap "$2"
  blocks=$(sed -n 's/.*Number of logical blocks=\([0-9]*\).*/\1/p' "$RIG_STDOUT")
  leadout=$(awk '$1 == "170:" { sub(/^0+/, "", $3); print $3 + 0 }' "/tmp/$1.cd-info")
  expect_equal "$1-leadout-agrees" "$blocks" "$leadout"
  served "$1-log" "/tmp/$1.log"
done
expect data-mode1 'Disc mode is listed as: CD-DATA \(Mode 1\)' /tmp/data.cd-info
expect audio-cd-da 'Disc mode is listed as: CD-DA' /tmp/audio.cd-info
# The block layer reads the data disc through sr (READ(10)): the volume descriptor is the image's.
dd if="$sr3" of=/tmp/pvd.read bs=2048 skip=16 count=1 </dev/null 2>/dev/null
dd if=/rig/files/data-cd.iso of=/tmp/pvd.image bs=2048 skip=16 count=1 </dev/null 2>/dev/null
check data-sector-read 0 cmp /tmp/pvd.read /tmp/pvd.image

# --- 20000 commands wrap the 1 MiB command ring twice (padding before each wrap).
before=$(grep -c '^cdb 00 ' /tmp/data.log)
check ring-wrap 0 sg_turs -n 20000 "$sg3"
expect_equal ring-wrap-served "$(($(grep -c '^cdb 00 ' /tmp/data.log) - before))" 20000
served ring-wrap-log /tmp/data.log

# --- korvelfw through sr alone: without sg it takes the block devices, and a second upgrade
# goes out on /dev/sr0.
check unload-sg 0 rmmod sg
check sr-scan 0 korvelfw scan
expect sr-scan-drive '^0 +1 +KORVEL +CD-R +RZ5140 +1\.10 +16 '
check make-good-2 0 korvel-make-image --format B --revision 1.20 /tmp/good2.bin
check sr-upgrade 0 korvelfw --drive 0:1 upgrade --yes /tmp/good2.bin
expect sr-upgrade-revision '1\.10 before, 1\.20 now'
sleep 4
check sr-rescan 0 korvelfw scan
expect sr-rescan-drive '^0 +1 +KORVEL +CD-R +RZ5140 +1\.20 +16 '
served drive-log-sr /tmp/drive.log

# --- SIGTERM ends korvel-tcmu between two commands, with exit code 0.
kill -TERM "$(cat /tmp/data.pid)"
wait "$(cat /tmp/data.pid)"
expect_equal sigterm-exit "$?" 0
expect sigterm-message 'korvel-tcmu: stopped' /tmp/data.err

show sh -c "dmesg | grep -E ' sr |sr[0-9]|cdrom|tcmu|target' | tail -n 20"
note "the first commands the audio drive got, from the scan and the sr driver's attach:"
show head -n 25 /tmp/audio.log
for name in drive audio data; do
  note "korvel-tcmu $name: $(head -n 1 "/tmp/$name.err")"
  show sh -c "sort /tmp/$name.log | uniq -c | sort -rn | head -n 30"
done
GUEST
}

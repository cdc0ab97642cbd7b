# check and upgrade on QEMU's CD devices, which refuse WRITE BUFFER: the refusal's sense must
# reach the user with exit code 1, the command log must show what went out, and sg3-utils must
# see the same refusal. One drive holds a disc, one is empty, one sits on an LSI controller
# (whose driver collects the sense itself).

# A disc for the drives that need one: QEMU answers NOT READY before it looks at the opcode.
truncate -s 2M "$RIG_BUILD/rig/upgrade-disc.iso"
QEMU_ARGS=(
  -device virtio-scsi-pci,id=vs0
  -drive if=none,id=disc1,file="$RIG_BUILD/rig/upgrade-disc.iso",format=raw,media=cdrom,readonly=on
  -device scsi-cd,bus=vs0.0,scsi-id=1,drive=disc1,vendor=KORVEL,product="CD-R   RZ6120",ver=2.00
  -device scsi-cd,bus=vs0.0,scsi-id=2,vendor=KORVEL,product="CD-R   RZ5140",ver=1.00
  -device lsi53c895a,id=lsi
  -drive if=none,id=disc3,file="$RIG_BUILD/rig/upgrade-disc.iso",format=raw,media=cdrom,readonly=on
  -device scsi-cd,bus=lsi.0,scsi-id=3,drive=disc3,vendor=KORVEL,product="CD-R   RZ5140",ver=1.00
)

guest_script() {
  cat <<'GUEST'
load_modules virtio_pci virtio_scsi sym53c8xx sr_mod sg
korvel-make-image --format A --revision 2.10 /tmp/a.bin </dev/null >/dev/null
korvel-make-image --format B --revision 1.50 /tmp/b.bin </dev/null >/dev/null
korvel-make-image --format A --revision 2.10 --break checksum /tmp/bad.bin </dev/null >/dev/null

# opcodes LOG ADAPTER TARGET: the first CDB byte of each command to that address, in order.
opcodes() {
  grep "\"adapter\":$2,\"target\":$3," "$1" | sed 's/.*"cdb":"\(..\).*/\1/' | tr '\n' ' '
}

check check-valid 0 korvelfw check /tmp/a.bin --drive 0:1
expect check-valid-text 'Valid upgrade file loaded'
check check-other-format 1 korvelfw check /tmp/b.bin --drive 0:1
expect check-other-format-text 'not a valid upgrade file for this drive'
check check-bad-sum 1 korvelfw check /tmp/bad.bin --drive 0:1

# The drive with a disc refuses WRITE BUFFER with ILLEGAL REQUEST, INVALID COMMAND OPERATION CODE.
check upgrade-refused 1 korvelfw upgrade /tmp/a.bin --drive 0:1 --yes --log-commands /tmp/up.log
expect upgrade-refused-sense 'sense 70 05 20 00'
expect upgrade-refused-version 'Firmware version: 2\.00 before, 2\.00 now'
# The CDB asks for 8192 bytes (0x002000); 8196 go out, the 4 past the chunk included.
expect upgrade-log-write-buffer '"cdb":"3B 04 00 00 00 00 00 20 00 00","direction":"out","length":8196,.*"data_out_length":8196,"status":2,"sense":"70 00 05 00 00 00 00 0A 00 00 00 00 20 00"' /tmp/up.log
expect_equal upgrade-log-one-chunk "$(grep -c '"cdb":"3B ' /tmp/up.log)" 1
# From the upgrade's INQUIRY on: REZERO UNIT, REQUEST SENSE, the refused WRITE BUFFER, the
# REQUEST SENSE of the report, then TEST UNIT READY, REQUEST SENSE and INQUIRY twice.
expect_equal upgrade-log-order "$(opcodes /tmp/up.log 0 1 | sed 's/.*\(12 01 03 3B\)/\1/')" '12 01 03 3B 03 00 03 12 12 '
expect upgrade-log-rezero-none '"cdb":"01 00 00 00 00 00","direction":"none","length":0' /tmp/up.log
expect upgrade-log-tur-none '"cdb":"00 00 00 00 00 00","direction":"none","length":0' /tmp/up.log

check upgrade-json 1 korvelfw upgrade /tmp/a.bin --drive 0:1 --yes --json
expect upgrade-json-sense '"sense"'

# Without --yes and without a terminal the upgrade asks nobody and sends nothing.
check upgrade-no-consent 2 korvelfw upgrade /tmp/a.bin --drive 0:1 --log-commands /tmp/ask.log
expect_not upgrade-no-consent-nothing-sent '"cdb":"3B ' /tmp/ask.log

# An empty drive: NOT READY, MEDIUM NOT PRESENT.
check upgrade-empty 1 korvelfw upgrade /tmp/b.bin --drive 0:2 --yes
expect upgrade-empty-sense 'sense 70 02 3A 00'

# LSI: the sense still reaches the program with the failed command.
check upgrade-lsi 1 korvelfw upgrade /tmp/b.bin --drive 1:3 --yes --log-commands /tmp/lsi.log
expect upgrade-lsi-log '"cdb":"3B 04 [^"]*","direction":"out",.*"status":2,"sense":"70 00 05 00 00 00 00 0A 00 00 00 00 20 00"' /tmp/lsi.log
# The report's own REQUEST SENSE finds nothing on this controller (below); the refusal that came
# with the WRITE BUFFER must still be shown.
expect upgrade-lsi-sense-shown '05/20/00|70 05 20 00'


# The peers see the same refusal.
node=$(sg_node 0:0:1:0)
dd if=/tmp/a.bin of=/tmp/chunk bs=8192 count=1 2>/dev/null
# sg3-utils exit code 9: ILLEGAL REQUEST with INVALID COMMAND OPERATION CODE.
check peer-write-buffer 9 sg_write_buffer --mode=5 --in=/tmp/chunk --length=8192 "$node"
expect peer-write-buffer-sense 'Illegal request, Invalid opcode'
check peer-raw 9 sg_raw -s 8192 -i /tmp/chunk "$node" 3b 04 00 00 00 00 00 20 00 00
expect peer-raw-sense 'Invalid command operation code'
check peer-readcap 0 sg_readcap "$node"
expect peer-readcap-blocks 'Last LBA=1023'
# sg3-utils exit code 2: NOT READY.
check peer-readcap-empty 2 sg_readcap "$(sg_node 0:0:2:0)"
expect peer-readcap-empty-sense 'not ready'

# After a refused WRITE BUFFER QEMU keeps the sense for a REQUEST SENSE on virtio-scsi, while
# the LSI driver has fetched it with the failed command and leaves "no sense" behind (QEMU then
# answers with 4 bytes only).
check peer-virtio-write-buffer 9 sg_write_buffer --mode=5 --in=/tmp/chunk --length=8192 "$node"
check peer-virtio-request-sense 0 sg_requests -H "$node"
expect peer-virtio-sense-kept '70 00 05 00 00 00 00 0a +00 00 00 00 20 00'
node=$(sg_node 1:0:3:0)
check peer-lsi-write-buffer 9 sg_write_buffer --mode=5 --in=/tmp/chunk --length=8192 "$node"
expect peer-lsi-sense 'Illegal request, Invalid opcode'
check peer-lsi-request-sense 0 sg_requests -H "$node"
expect peer-lsi-sense-consumed '^ 00 +70 00 00 00'
expect_not peer-lsi-sense-not-kept '70 00 05'
GUEST
}

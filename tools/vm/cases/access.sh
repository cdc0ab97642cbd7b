# korvelfw run by users who are not root, on the kernel's own permission rules: the block node
# /dev/srN alone (sg not loaded), where WRITE BUFFER needs CAP_SYS_RAWIO whatever the node's
# mode; then /dev/sgN with modes 0600 root:root, 0660 root:cdrom and 0664 root:cdrom, where a
# descriptor open for writing may send it. alice is in group cdrom, bob is not.

truncate -s 2M "$RIG_BUILD/rig/access-disc.iso"
QEMU_ARGS=(
  -device virtio-scsi-pci,id=vs0
  -drive if=none,id=disc1,file="$RIG_BUILD/rig/access-disc.iso",format=raw,media=cdrom,readonly=on
  -device scsi-cd,bus=vs0.0,scsi-id=1,drive=disc1,vendor=KORVEL,product="CD-R   RZ6120",ver=2.00
)

guest_script() {
  cat <<'GUEST'
add_user alice 1000 cdrom
add_user bob 1001
korvel-make-image --format A --revision 2.10 /tmp/a.bin </dev/null >/dev/null
chmod 644 /tmp/a.bin
# The command logs are written by the users.
mkdir -m 1777 /tmp/logs

load_modules virtio_pci virtio_scsi sr_mod
sr=$(sr_node 0:0:1:0)

# --- /dev/srN only ---------------------------------------------------------------------------
check sr-root-scan 0 korvelfw scan
expect sr-root-scan-node "/dev/sr0"
check sr-root-upgrade 1 korvelfw upgrade /tmp/a.bin --drive 0:1 --yes
expect sr-root-upgrade-sense 'sense 70 05 20 00'

chgrp cdrom "$sr" && chmod 0660 "$sr"
check_as alice sr-alice-scan 0 korvelfw scan
expect sr-alice-scan-drive '^0 +1 +KORVEL +CD-R +RZ6120'
# Read-write access to the block node is not enough: the kernel refuses WRITE BUFFER (EPERM).
check_as alice sr-alice-upgrade 1 korvelfw upgrade /tmp/a.bin --drive 0:1 --yes --log-commands /tmp/logs/sr-alice.log
expect sr-alice-refused-by-kernel '"cdb":"3B [^"]*",.*"status":65537' /tmp/logs/sr-alice.log
# REZERO UNIT is outside the kernel's list for block nodes too; INQUIRY, TEST UNIT READY and
# REQUEST SENSE are inside it.
expect sr-alice-rezero-refused '"cdb":"01 [^"]*",.*"status":65537' /tmp/logs/sr-alice.log
expect_not sr-alice-others-allowed '"cdb":"(12|00|03) [^"]*",.*"status":65537' /tmp/logs/sr-alice.log
expect sr-alice-request-sense-sent '"cdb":"03 [^"]*",.*"status":1,' /tmp/logs/sr-alice.log
expect sr-alice-note '^note: ' "$RIG_STDERR"
expect sr-alice-rawio 'CAP_SYS_RAWIO'
# The peer meets the same refusal (sg3-utils exit code 50 + errno: 51 is EPERM).
dd if=/tmp/a.bin of=/tmp/chunk bs=8192 count=1 2>/dev/null
chmod 644 /tmp/chunk
check_as alice sr-alice-peer 51 sg_write_buffer --mode=5 --in=/tmp/chunk --length=8192 "$sr"
expect sr-alice-peer-eperm 'Operation not permitted'

check_as bob sr-bob-scan 3 korvelfw scan
expect sr-bob-names-node "$sr"
expect_not sr-bob-no-false-verdict 'No Korvel drive was found'

# --- /dev/sgN ---------------------------------------------------------------------------------
chmod 0600 "$sr" && chgrp root "$sr"
load_modules sg
sg=$(sg_node 0:0:1:0)

check_as alice sg-0600-scan 3 korvelfw scan
expect sg-0600-names-node "$sg"
expect_not sg-0600-no-false-verdict 'No Korvel drive was found'

chgrp cdrom "$sg" && chmod 0660 "$sg"
check_as alice sg-0660-alice-scan 0 korvelfw scan
expect sg-0660-alice-drive '^0 +1 +KORVEL +CD-R +RZ6120'
# Read-write access to the sg node is enough: the drive itself answers.
check_as alice sg-0660-alice-upgrade 1 korvelfw upgrade /tmp/a.bin --drive 0:1 --yes --log-commands /tmp/logs/sg-alice.log
expect sg-0660-alice-sense 'sense 70 05 20 00'
# QEMU refuses REZERO UNIT itself: the command reached the drive.
expect sg-0660-alice-rezero-reaches-drive '"cdb":"01 [^"]*",.*"status":2,"sense":"70 00 05 ' /tmp/logs/sg-alice.log
# Nothing of the drive's access needs a note. The guards say what a user other than root cannot
# check (other users' processes) and that this guest has no system bus to ask logind on; the
# block node she may not open takes nothing from the flash, which holds the sg node alone.
grep -v -e '^note: the processes of other users could not be checked for drive 0:1 ' \
  -e '^note: could not ask logind ' "$RIG_STDERR" >/tmp/alice-notes
expect_not sg-0660-alice-notes '^note: ' /tmp/alice-notes
expect sg-0660-alice-others-unchecked '^note: the processes of other users could not be checked' "$RIG_STDERR"
check_as bob sg-0660-bob-scan 3 korvelfw scan
expect sg-0660-bob-names-node "$sg"
expect sg-0660-bob-group 'cdrom'

chmod 0664 "$sg"
check_as bob sg-0664-bob-scan 0 korvelfw scan
expect sg-0664-bob-drive '^0 +1 +KORVEL +CD-R +RZ6120'
# A descriptor open for reading only may not send WRITE BUFFER.
check_as bob sg-0664-bob-upgrade 1 korvelfw upgrade /tmp/a.bin --drive 0:1 --yes --log-commands /tmp/logs/sg-bob.log
expect sg-0664-bob-refused-by-kernel '"cdb":"3B [^"]*",.*"status":65537' /tmp/logs/sg-bob.log
expect sg-0664-bob-rezero-refused '"cdb":"01 [^"]*",.*"status":65537' /tmp/logs/sg-bob.log
expect sg-0664-bob-note '^note: ' "$RIG_STDERR"
expect sg-0664-bob-advice "cdrom"
check_as bob sg-0664-bob-peer-inquiry 0 sg_inq "$sg"
# sg_write_buffer opens the node for writing only, and the open fails (63: 50 + EACCES).
check_as bob sg-0664-bob-peer 63 sg_write_buffer --mode=5 --in=/tmp/chunk --length=8192 "$sg"
expect sg-0664-bob-peer-denied 'Permission denied'

GUEST
}

# What a scan shows of the devices on two kinds of controller: the maker's CD drives (listed),
# a disk that carries the maker's name and a CD drive of another maker (not listed), a drive on
# a LUN above 0 and one at a target above 15 (not addressable: a note each), a controller with
# only a disk (no host adapter number), and a machine before any SCSI driver is loaded.

truncate -s 8M "$RIG_BUILD/rig/scan-disk0.img" "$RIG_BUILD/rig/scan-disk1.img"
QEMU_ARGS=(
  # Linux SCSI host 0
  -device virtio-scsi-pci,id=vs0
  -device scsi-cd,bus=vs0.0,scsi-id=1,lun=0,vendor=KORVEL,product="CD-R   RZ6120",ver=2.00
  -device scsi-cd,bus=vs0.0,scsi-id=2,lun=0,vendor=KORVEL,product="CD-R   RZ5140",ver=1.00
  -drive if=none,id=disk0,file="$RIG_BUILD/rig/scan-disk0.img",format=raw
  -device scsi-hd,bus=vs0.0,scsi-id=3,lun=0,drive=disk0,vendor=KORVEL,product="CD-R   RZ6120",ver=2.00
  -device scsi-cd,bus=vs0.0,scsi-id=4,lun=0
  -device scsi-cd,bus=vs0.0,scsi-id=5,lun=0,vendor=KORVEL,product="CD-ROM",ver=3.00
  -device scsi-cd,bus=vs0.0,scsi-id=5,lun=1,vendor=KORVEL,product="CD-R   RZ5140",ver=1.10
  -device scsi-cd,bus=vs0.0,scsi-id=20,lun=0,vendor=KORVEL,product="CD-R   RZ6120",ver=2.20
  # Linux SCSI host 1: a disk only
  -device virtio-scsi-pci,id=vs1
  -drive if=none,id=disk1,file="$RIG_BUILD/rig/scan-disk1.img",format=raw
  -device scsi-hd,bus=vs1.0,scsi-id=0,lun=0,drive=disk1
  # Linux SCSI host 2 (sym53c8xx)
  -device lsi53c895a,id=lsi
  -device scsi-cd,bus=lsi.0,scsi-id=2,vendor=KORVEL,product="CD-ROM",ver=3.00
)

guest_script() {
  cat <<'GUEST'
# inquiry_field NODE LABEL: one field of sg_inq's answer, without its trailing blanks.
inquiry_field() {
  sg_inq "$1" </dev/null 2>/dev/null | sed -n "s/^ *$2: *//p" | sed 's/ *$//'
}

# peer_agrees NAME H:C:T:L VENDOR PRODUCT REVISION: sg_inq on the device's sg node reads what
# korvelfw listed, and a CD device type.
peer_agrees() {
  local node
  node=$(sg_node "$2")
  expect_equal "$1-vendor" "$(inquiry_field "$node" 'Vendor identification')" "$3"
  expect_equal "$1-product" "$(inquiry_field "$node" 'Product identification')" "$4"
  expect_equal "$1-revision" "$(inquiry_field "$node" 'Product revision level')" "$5"
  check "$1-peripheral" 0 sg_inq "$node"
  expect "$1-cd" 'PDT=5 .*Peripheral device type: cd/dvd|Peripheral device type: cd/dvd'
}

# Before any SCSI driver: no node at all.
check no-driver-exit 3 korvelfw scan
expect no-driver-hint 'No SCSI transport'
expect_not no-driver-no-list 'Korvel drives? found'

# Controllers and CD driver, but no sg: the drives are reached through /dev/srN.
load_modules virtio_pci virtio_scsi sym53c8xx sd_mod sr_mod
check sr-scan 0 korvelfw scan
expect sr-scan-rz6120 '^0 +1 +KORVEL +CD-R +RZ6120 +2\.00 +18 '
expect sr-scan-node 'Linux SCSI host 0, /dev/sr0'
expect_not sr-scan-no-sg '/dev/sg'

load_modules sg
check scan 0 korvelfw scan --log-commands /tmp/scan.log
expect scan-rz6120 '^0 +1 +KORVEL +CD-R +RZ6120 +2\.00 +18 +" RZ6120LX " +yes'
expect scan-rz5140 '^0 +2 +KORVEL +CD-R +RZ5140 +1\.00 +16 +" RZ5140 " +yes'
expect scan-cdrom '^0 +5 +KORVEL +CD-ROM +3\.00 +17 '
expect scan-lsi-adapter '^1 +2 +KORVEL +CD-ROM +3\.00 +17 '
expect scan-lsi-host 'Linux SCSI host 2, /dev/sg[0-9]+, /dev/sr[0-9]+'
expect scan-count '^4 Korvel drives found\.'
expect_not scan-other-maker 'QEMU'
expect_not scan-disk '^0 +3 '
expect scan-lun-note '^note: 0:0:5:1 .*logical unit'
expect scan-target-note '^note: 0:0:20:0 .*target'
expect_not scan-disk-untouched '"adapter":0,"target":3,.*"status":1' /tmp/scan.log
expect scan-log-inquiry '"adapter":0,"target":1,"cdb":"12 00 00 00 38 00","direction":"in","length":56,"status":1' /tmp/scan.log

check scan-json 0 korvelfw scan --json
expect_equal scan-json-count "$(grep -c '"adapter"' "$RIG_STDOUT")" 4
expect scan-json-product '"product": "CD-R   RZ6120   "'
expect scan-json-vendor '"vendor": "KORVEL  "'

check scan-drive 0 korvelfw scan --drive 1:2
expect scan-drive-only '^1 +2 +KORVEL'
expect_not scan-drive-others '^0 +1 '

# The peers read the same identities.
peer_agrees peer-rz6120 0:0:1:0 KORVEL 'CD-R   RZ6120' 2.00
peer_agrees peer-rz5140 0:0:2:0 KORVEL 'CD-R   RZ5140' 1.00
peer_agrees peer-lsi 2:0:2:0 KORVEL CD-ROM 3.00
check peer-disk 0 sg_inq "$(sg_node 0:0:3:0)"
expect peer-disk-type 'Peripheral device type: disk'
note "SCSI hosts: virtio_scsi $(host_of virtio_scsi | tr '\n' ' ')sym53c8xx $(host_of sym53c8xx)"
GUEST
}

# The guards around a flash on a real kernel: korvel-tcmu serves an emulated RZ5140 with the
# sample data CD at tcm_loop target 1, and korvelfw flashes it through /dev/sgN. A mounted disc
# and a process holding /dev/srN or /dev/sgN open are refused with nothing written; of two upgrades started
# together exactly one flashes; SIGTERM and SIGHUP during the WRITE BUFFER commands are held and
# the upgrade ends as it would have. The guest has no system bus: one note says that logind could
# not be asked.

discs="$RIG_BUILD/scenarios/discs"
GUEST_FILES=("$RIG_BUILD/src/tcmu/korvel-tcmu" "$discs/data-cd.json" "$discs/data-cd.iso")
GUEST_MODULES=(uio configfs target_core_mod target_core_user tcm_loop isofs)
RIG_TIMEOUT=420

guest_script() {
  cat <<'GUEST'
# writes LOG: the WRITE BUFFER commands in a command log.
writes() {
  grep -c '"cdb":"3B ' "$1"
}

# served N: wait until korvel-tcmu has served N WRITE BUFFER commands (up to 30 seconds).
served() {
  local tries=0
  while [ "$(grep -c '^cdb 3B ' /tmp/rz5140.log)" -lt "$1" ] && [ $tries -lt 600 ]; do
    sleep 0.05
    tries=$((tries + 1))
  done
}

load_modules scsi_mod uio configfs target_core_mod target_core_user tcm_loop isofs || exit 1
mount -t configfs configfs /sys/kernel/config || exit 1
sed -e 's/CD-R   RZ6120   /CD-R   RZ5140   /' -e 's|"data-cd.iso"|"/rig/files/data-cd.iso"|' \
  /rig/files/data-cd.json >/tmp/rz5140.json
serve rz5140 /tmp/rz5140.json 0:2 1 || exit 1
load_modules sg cdrom sr_mod || exit 1

loop=$(host_of tcm_loopback)
sg=$(sg_node "$loop:0:1:0") sr=$(sr_node "$loop:0:1:0")
[ -c "$sg" ] && [ -b "$sr" ] || { fail nodes "the drive has no sg or sr node"; exit 1; }
check scan 0 korvelfw scan
at="$(awk '$2 == 1 && $3 == "KORVEL" { print $1 }' "$RIG_STDOUT"):1"
for revision in 1.50 1.60 1.70; do
  korvel-make-image --format B --revision $revision /tmp/b$revision.bin </dev/null >/dev/null
done

# --- A mounted disc: refused before the question, with nothing sent; the dry run says so too.
mkdir -p /mnt/disc
check mount 0 mount -t iso9660 -o ro "$sr" /mnt/disc
check mounted-refused 1 korvelfw --log-commands /tmp/mounted.log upgrade /tmp/b1.50.bin \
  --drive "$at" --yes
expect mounted-named "korvelfw: drive $at \\($sg, $sr\\) has a file system mounted at /mnt/disc; unmount it"
expect_equal mounted-no-write-buffer "$(writes /tmp/mounted.log)" 0
check mounted-dry-run 1 korvelfw upgrade /tmp/b1.50.bin --drive "$at" --dry-run
expect mounted-dry-run-says "the upgrade would be refused: drive $at .* mounted at /mnt/disc"
check umount 0 umount /mnt/disc

# --- Another process with the block node open is named by its PID and program.
sleep 600 <"$sr" &
holder=$!
check in-use-refused 1 korvelfw --log-commands /tmp/in-use.log upgrade /tmp/b1.50.bin \
  --drive "$at" --yes
expect in-use-named "is in use by PID $holder \\(sleep\\); close that program"
expect_equal in-use-no-write-buffer "$(writes /tmp/in-use.log)" 0
kill $holder
wait $holder 2>/dev/null
# On the command node the drive cannot be held alone, and the holder is named as well.
sleep 600 <>"$sg" &
holder=$!
check in-use-sg-refused 1 korvelfw --log-commands /tmp/in-use-sg.log upgrade /tmp/b1.50.bin \
  --drive "$at" --yes
expect in-use-sg-named "drive $at \\($sg, $sr\\) is held open by another program: PID $holder \\(sleep\\)"
expect_equal in-use-sg-no-write-buffer "$(writes /tmp/in-use-sg.log)" 0
kill $holder
wait $holder 2>/dev/null

# --- A good flash: the revision changes, and the missing system bus is one note.
check flash 0 korvelfw upgrade /tmp/b1.50.bin --drive "$at" --yes
expect flash-revision 'Firmware version: 2\.00 before, 1\.50 now'
expect_equal flash-one-note "$(grep -c '^note: could not ask logind' "$RIG_STDERR")" 1

# --- Two upgrades at once on one drive: exactly one flashes, the other is refused with 1.
# The second reads a copy: an upgrade holds its file open alone while it sends it, and the race
# to see here is the one for the drive.
cp /tmp/b1.60.bin /tmp/b1.60-copy.bin
korvelfw --log-commands /tmp/one.log upgrade /tmp/b1.60.bin --drive "$at" --yes \
  </dev/null >/tmp/one.out 2>&1 &
one=$!
korvelfw --log-commands /tmp/two.log upgrade /tmp/b1.60-copy.bin --drive "$at" --yes \
  </dev/null >/tmp/two.out 2>&1 &
two=$!
wait $one
status_one=$?
wait $two
status_two=$?
expect_equal together-statuses "$(printf '%s\n' $status_one $status_two | sort | tr '\n' ' ')" "0 1 "
expect_equal together-writes "$(($(writes /tmp/one.log) + $(writes /tmp/two.log)))" 64
loser=/tmp/one.out
[ "$status_one" = 0 ] && loser=/tmp/two.out
expect together-loser-says "drive $at .*(being flashed by another program|in use by PID [0-9]+ \\(korvelfw\\))" "$loser"
show cat "$loser"

# --- SIGTERM and SIGHUP during the WRITE BUFFER commands are held: all 64 go out, the new
# revision is read, the exit status is the upgrade's own, stderr says so once. A program that
# comes to the drive meanwhile is refused.
before=$(grep -c '^cdb 3B ' /tmp/rz5140.log)
korvelfw --log-commands /tmp/term.log upgrade /tmp/b1.70.bin --drive "$at" --yes \
  </dev/null >/tmp/term.out 2>/tmp/term.err &
flasher=$!
served $((before + 8))
kill -TERM $flasher
# A program that comes to the drive during the flash cannot open it, and is told why.
check late-second 1 korvelfw --log-commands /tmp/late.log upgrade /tmp/b1.60.bin --drive "$at" \
  --yes
expect late-second-says "korvelfw: Cannot open $sg: another program is flashing drive $at \\($sg, $sr\\); wait until it has finished"
expect_equal late-second-no-write-buffer "$(writes /tmp/late.log)" 0
kill -TERM $flasher
kill -HUP $flasher
wait $flasher
expect_equal term-status $? 0
expect_equal term-writes "$(writes /tmp/term.log)" 64
expect term-revision 'Firmware version: 1\.60 before, 1\.70 now' /tmp/term.out
expect_equal term-said-once "$(grep -c 'the upgrade cannot be interrupted' /tmp/term.err)" 1
expect term-held 'korvelfw: SIGTERM was held until the upgrade had finished' /tmp/term.err
show cat /tmp/term.err
GUEST
}

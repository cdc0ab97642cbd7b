# The Windows programs under Wine: korvelfw.exe through the test WNASPI32.DLL (the real
# LoadLibraryA, GetProcAddress and event path across a DLL boundary), its simulated PC, and the
# start-up error with Wine's own ASPI library and no SCSI port; the holds of a flash (the drive's
# lock, the machine kept awake, interrupts held) and a second program refused during one; then
# the native dialog korvel-upgrade.exe. Sourced by the script that tools/wine/run-in-guest.sh
# runs, from the shared folder that holds programs/ (korvelfw.exe, korvel-make-image.exe, the
# test WNASPI32.DLL and the scenarios, copied there first), with KORVEL_SOURCE (the source tree,
# built) set.
# Every wine start costs seconds, so each command runs once and several checks read its output.
set -uo pipefail

failures=0
passes=0
pass() {
  echo "PASS $1"
  passes=$((passes + 1))
}
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}

# run-in-guest.sh has made the prefix (32-bit only, which is all the programs need) and
# started the wineserver.
# Wine's drive Z: is the root of the file system.
windows_path() {
  local path="$1"
  echo "Z:${path//\//\\}"
}
dir="$PWD/programs"
win="$(windows_path "$dir")"
image="$win\RZ5140-150.bin"

# run NAME DLLS PROGRAM ARGS...: one program run (wnaspi32 loaded as DLLS says: n = the one
# beside the program, b = Wine's own); its output in $out, its exit code in $status.
out=""
status=0
run() {
  local name="$1" dlls="$2"
  shift 2
  WINEDLLOVERRIDES="wnaspi32=$dlls" timeout 180 wine "$@" </dev/null >"$WINEPREFIX/run.out" 2>&1
  status=$?
  out="$(tr -d '\r\000' <"$WINEPREFIX/run.out")"
  echo "== $name: exit $status"
  echo "$out" | head -n 30 | sed 's/^/  | /'
}
status_is() {
  if [ "$status" = "$2" ]; then pass "$1"; else fail "$1" "exit $status, expected $2"; fi
}
output_has() {
  if grep -qF -- "$2" <<<"$out"; then pass "$1"; else fail "$1" "no \"$2\" in the output"; fi
}
# commands LOG: one line per command to adapter 0, target 2: CDB, direction, length, status.
commands() {
  grep '"adapter":0,"target":2,' "$1" |
    sed 's/.*\("cdb":"[^"]*","direction":"[^"]*","length":[0-9]*\).*\("status":[0-9]*\).*/\1 \2/'
}

cd "$dir" || exit 1
run make-image n korvel-make-image.exe --format B --revision 1.50 "$image"
status_is make-image-exit 0

export KORVEL_ASPI_SCENARIO="$win\default.json"
run dll-scan n korvelfw.exe scan
status_is dll-scan-exit 0
output_has dll-scan-rz5140 "RZ5140"
output_has dll-scan-rz6120 "RZ6120"
output_has dll-scan-aspi "ASPI"

run dll-check n korvelfw.exe check "$image" --drive 0:2
status_is dll-check-exit 0

# Windows' own answer to a missing file, told in words a user can act on.
run dll-check-missing n korvelfw.exe check "$win\missing.bin" --drive 0:2
status_is dll-check-missing-exit 1
output_has dll-check-missing-reason "there is no such file"

# Wine's relay channel logs every call into Wine's own DLLs with its arguments; its registry
# filter keeps it to the program's own calls that take and let go of the holds of a flash (the C
# run-time libraries set console handlers of their own when they load).
printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Debug]' \
  '"RelayInclude"="SetThreadExecutionState;SetConsoleCtrlHandler;CreateMutexA;ReleaseMutex"' \
  '"RelayFromExclude"="winex11.drv;winemac.drv;user32;gdi32;advapi32;kernel32;msvcrt;ucrtbase"' \
  >relay.reg
wine reg import relay.reg >/dev/null 2>&1
WINEDEBUG=+relay run dll-upgrade n korvelfw.exe upgrade "$image" --drive 0:2 --yes \
  --log-commands "$win\dll.log"
status_is dll-upgrade-exit 0
output_has dll-upgrade-version "1.50"
# The holds in the order they are taken and let go: the drive's flash lock, the machine kept
# awake (ES_CONTINUOUS | ES_SYSTEM_REQUIRED), the console's interrupts held; then the lock
# released for other programs, the machine let sleep again (ES_CONTINUOUS alone), and the
# interrupts let through last.
# Other code in the process (the threads library) takes and lets go of mutexes of its own: only
# the flash lock's handle, which its thread's Ret line gives, counts.
lock_handle="$(awk '
  !thread && /Call [A-Za-z0-9]*\.CreateMutexA\(.*KorvelFlash-0-2/ { thread = $1; sub(/:.*/, "", thread); next }
  thread && index($0, thread ":Ret ") == 1 && /CreateMutexA\(\) retval=/ {
    sub(/.*retval=/, ""); sub(/ .*/, ""); print; exit
  }' <<<"$out")"
holds="$(grep -o 'Call [A-Za-z0-9]*\.[A-Za-z]*([^)]*)' <<<"$out" | sed \
  -e 's/.*CreateMutexA(.*"Global\\\\KorvelFlash-0-2")/lock/' \
  -e "s/.*ReleaseMutex(${lock_handle:-none})/unlock/" \
  -e 's/.*SetThreadExecutionState(80000001)/awake/' \
  -e 's/.*SetThreadExecutionState(80000000)/sleep-allowed/' \
  -e 's/.*SetConsoleCtrlHandler([0-9a-f]*,00000001)/shield/' \
  -e 's/.*SetConsoleCtrlHandler([0-9a-f]*,00000000)/unshield/' | grep -v '^Call ' | tr '\n' ' ')"
expected="lock awake shield unlock sleep-allowed unshield "
if [ "$holds" = "$expected" ]; then
  pass dll-upgrade-holds
else
  fail dll-upgrade-holds "calls: $holds, expected $expected"
fi
keep_awake="$(grep -o 'SetThreadExecutionState([0-9a-f]\+)' <<<"$out" | tr '\n' ' ')"
if [ "$keep_awake" = "SetThreadExecutionState(80000001) SetThreadExecutionState(80000000) " ]; then
  pass dll-upgrade-keeps-awake
else
  fail dll-upgrade-keeps-awake "calls: $keep_awake"
fi

# Two programs on one drive. One flashes a slow drive in the background; a dry run from another
# says the drive is being flashed by another program (it asks until the first holds the lock),
# then an upgrade from it is refused with nothing sent, and the first one finishes. The second
# reads a copy of the file: the first keeps its own file to itself while it sends it.
sed 's/"revision": "1.00"}/"revision": "1.00", "delay_ms": 600}/' default.json >slow.json
cp RZ5140-150.bin RZ5140-150-copy.bin
copy="$win\RZ5140-150-copy.bin"
KORVEL_ASPI_SCENARIO="$win\slow.json" WINEDLLOVERRIDES=wnaspi32=n timeout 180 wine korvelfw.exe \
  upgrade "$image" --drive 0:2 --yes </dev/null >"$WINEPREFIX/slow.out" 2>&1 &
slow=$!
refused=0
for attempt in 1 2 3 4 5 6 7 8; do
  run second-dry-run-$attempt n korvelfw.exe upgrade "$copy" --drive 0:2 --dry-run
  if grep -qF "drive 0:2 is being flashed by another program" <<<"$out"; then
    refused=1
    break
  fi
  kill -0 "$slow" 2>/dev/null || break
done
if [ "$refused" = 1 ]; then pass second-dry-run-refused; else
  fail second-dry-run-refused "no dry run saw the first upgrade's lock"
fi
run second-upgrade n korvelfw.exe upgrade "$copy" --drive 0:2 --yes --log-commands "$win\second.log"
status_is second-upgrade-exit 1
output_has second-upgrade-text "korvelfw: drive 0:2 is being flashed by another program; wait until it has finished"
if grep -q '"cdb":"3B' "$dir/second.log" 2>/dev/null; then
  fail second-upgrade-nothing-sent "a WRITE BUFFER in the refused upgrade's log"
else
  pass second-upgrade-nothing-sent
fi
wait "$slow"
status=$?
out="$(tr -d '\r' <"$WINEPREFIX/slow.out")"
echo "== first-upgrade: exit $status"
echo "$out" | head -n 10 | sed 's/^/  | /'
status_is first-upgrade-exit 0
output_has first-upgrade-version "1.50"

run sim-upgrade n korvelfw.exe --simulate="$win\default.json" upgrade "$image" --drive 0:2 \
  --yes --log-commands "$win\sim.log"
status_is sim-upgrade-exit 0
unset KORVEL_ASPI_SCENARIO

dll_commands="$(commands "$dir/dll.log")"
echo "== the upgrade's commands through WNASPI32.DLL"
echo "$dll_commands" | sed 's/^/  | /'
# Both logs from the scan's first INQUIRY (adapter 0, target 0) on, without the times: every
# command to every target, its bytes, direction, length, status and sense. The simulated PC's
# own start-up commands before the scan have no counterpart in a real machine.
from_scan() {
  sed -n '/"adapter":0,"target":0,/,$p' "$1" | sed 's/,"time_ms":[0-9]*//'
}
from_scan "$dir/sim.log" >"$WINEPREFIX/sim.commands"
from_scan "$dir/dll.log" >"$WINEPREFIX/dll.commands"
if [ -n "$dll_commands" ] && cmp -s "$WINEPREFIX/sim.commands" "$WINEPREFIX/dll.commands"; then
  pass dll-log-same-as-simulated
else
  fail dll-log-same-as-simulated "the DLL's commands differ from the simulated PC's"
  # The guest has no /dev/fd, so the two lists go through files.
  diff "$WINEPREFIX/sim.commands" "$WINEPREFIX/dll.commands" | head -n 20
fi
# From the upgrade's INQUIRY on: REZERO UNIT, REQUEST SENSE, 63 WRITE BUFFERs in mode 4 and one
# in mode 5, TEST UNIT READY, REQUEST SENSE and two INQUIRYs.
opcodes="$(echo "$dll_commands" | sed 's/"cdb":"\(..\).*/\1/' | tr '\n' ' ' |
  sed 's/.*\(12 01 03 3B\)/\1/')"
expected="12 01 03 $(printf '3B %.0s' $(seq 64))00 03 12 12 "
if [ "$opcodes" = "$expected" ]; then
  pass dll-log-order
else
  fail dll-log-order "opcodes $opcodes, expected $expected"
fi
log_has() {
  if grep -qF -- "$2" <<<"$dll_commands"; then pass "$1"; else fail "$1" "no $2 in the log"; fi
}
log_has dll-log-first-chunk '"cdb":"3B 04 00 00 00 00 00 20 00 00","direction":"out","length":8196 "status":1'
log_has dll-log-last-mode-4 '"cdb":"3B 04 00 07 C0 00 00 20 00 00","direction":"out","length":8196 "status":1'
log_has dll-log-mode-5 '"cdb":"3B 05 00 07 E0 00 00 20 00 00","direction":"out","length":8196 "status":1'

# An adapter with nothing on it: the scan runs and finds no drive, which is not an error.
run sim-no-drives n korvelfw.exe --simulate="$win\no-drives.json" scan
status_is sim-no-drives-exit 0
output_has sim-no-drives-text "No Korvel drive was found."

run sim-nt4-passthrough n korvelfw.exe --simulate="$win\nt4-passthrough.json" scan
status_is sim-nt4-passthrough-exit 0
output_has sim-nt4-passthrough-korvel "KORVEL"

# wnaspi32=b: Wine's own library, though the test one lies beside the program.
run wine-aspi b korvelfw.exe scan
status_is wine-aspi-exit 3
output_has wine-aspi-text "ERROR: ASPI Layer for Win32 is not initialized!"

# The native dialog, the 32-bit program itself: every control rectangle read back from the
# running windows against the resource script, the drive scan it starts with, and an upgrade
# made from its keyboard through the open file dialog.
echo "== dialog: tools/wine-dialog.sh test"
if "$KORVEL_SOURCE/tools/wine-dialog.sh" test "$KORVEL_SOURCE/build/windows" "$dir/../dialog" \
  >"$dir/../dialog.out" 2>&1; then
  pass dialog-layout-scan-upgrade
else
  fail dialog-layout-scan-upgrade "tools/wine-dialog.sh test failed"
fi
sed 's/^/  | /' "$dir/../dialog.out" | head -n 40

echo "wine-test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]

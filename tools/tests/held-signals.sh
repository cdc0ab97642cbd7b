#!/usr/bin/env bash
# korvelfw upgrade on the simulated PC, with the signals a user or a closing terminal sends
# during the flash: SIGTERM, a second SIGTERM and SIGHUP are held (the upgrade ends as it would
# have, all 64 WRITE BUFFERs sent and the new revision read, and stderr says so once), and
# neither a reader of standard output nor a terminal that goes away can stop it.
#
#     held-signals.sh KORVELFW MAKE_IMAGE
set -uo pipefail
korvelfw="$1"
make_image="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}

# writes LOG: the WRITE BUFFER commands in a command log.
writes() {
  local count
  count=$(grep -c '"cdb":"3B ' "$1" 2>/dev/null)
  echo "${count:-0}"
}

# wait_for_writes LOG N: until the log has N WRITE BUFFERs (10 s at most).
wait_for_writes() {
  local tries=0
  while [ "$(writes "$1")" -lt "$2" ] && [ $tries -lt 500 ]; do
    sleep 0.02
    tries=$((tries + 1))
  done
}

"$make_image" --format B --revision 1.50 "$work/new.bin" >/dev/null || exit 1

# --- Signals during the flash.
"$korvelfw" --simulate --log-commands "$work/term.log" upgrade "$work/new.bin" --drive 0:2 --yes \
  </dev/null >"$work/term.out" 2>"$work/term.err" &
flasher=$!
wait_for_writes "$work/term.log" 1
kill -TERM $flasher
sleep 0.1
kill -TERM $flasher
kill -HUP $flasher
wait $flasher
status=$?
[ "$status" = 0 ] || fail "held: exit $status, expected 0; stderr: $(cat "$work/term.err")"
[ "$(writes "$work/term.log")" = 64 ] || fail "held: $(writes "$work/term.log") WRITE BUFFERs"
grep -q '^Firmware version: 1.00 before, 1.50 now$' "$work/term.out" ||
  fail "held: no new revision in: $(cat "$work/term.out")"
[ "$(grep -c '^korvelfw: the upgrade cannot be interrupted: ' "$work/term.err")" = 1 ] ||
  fail "held: the announcement is not there once: $(cat "$work/term.err")"
grep -q '^korvelfw: SIGTERM was held until the upgrade had finished$' "$work/term.err" ||
  fail "held: the held signal is not named: $(cat "$work/term.err")"

# --- The reader of standard output goes away after the first lines.
mkfifo "$work/out"
"$korvelfw" --simulate --log-commands "$work/pipe.log" upgrade "$work/new.bin" --drive 0:2 --yes \
  </dev/null >"$work/out" 2>"$work/pipe.err" &
flasher=$!
head -n 1 "$work/out" >/dev/null
wait $flasher
status=$?
[ "$status" = 0 ] || fail "pipe: exit $status, expected 0; stderr: $(cat "$work/pipe.err")"
[ "$(writes "$work/pipe.log")" = 64 ] || fail "pipe: $(writes "$work/pipe.log") WRITE BUFFERs"

# --- The terminal goes away (SIGHUP, then EIO on every write).
python3 "$(dirname "$0")/closed-terminal.py" "$korvelfw" "$work/new.bin" "$work/terminal.log" ||
  fail "closed terminal"

# --- Without a signal nothing is said about signals.
"$korvelfw" --simulate upgrade "$work/new.bin" --drive 0:2 --yes </dev/null >/dev/null \
  2>"$work/plain.err" || fail "plain: exit $?"
[ ! -s "$work/plain.err" ] || fail "plain: stderr: $(cat "$work/plain.err")"

[ $failures = 0 ] && echo "held-signals: all passed"
[ $failures = 0 ]

#!/usr/bin/env bash
# "--NAME=" with nothing after the sign is bad usage in every program, said in one line, and the
# argument after it is never taken for the value (a log called "--simulate", a revision called
# "--format").
#
#     empty-option.sh korvelfw=PATH make-image=PATH disc-sectors=PATH [tcmu=PATH] [upgrade=PATH]
set -uo pipefail
declare -A program
for given in "$@"; do program["${given%%=*}"]="${given#*=}"; done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

# expect NAME STDERR COMMAND...: exit 2, exactly STDERR, nothing written in the folder.
expect() {
  local name="$1" wanted="$2"
  shift 2
  QT_QPA_PLATFORM=offscreen timeout 20 "$@" >"$work/.out" 2>"$work/.err" </dev/null
  local status=$? err
  err="$(cat "$work/.err")"
  if [ "$status" != 2 ] || [ "$err" != "$wanted" ]; then
    echo "FAIL $name: exit $status, stderr: $err"
    failures=$((failures + 1))
  fi
  if [ -n "$(ls -A "$work" | grep -v '^\.out$\|^\.err$')" ]; then
    echo "FAIL $name: wrote $(ls -A "$work" | grep -v '^\.out$\|^\.err$')"
    failures=$((failures + 1))
  fi
  rm -f -- "$work"/* 2>/dev/null
}

fw="${program[korvelfw]}"
expect korvelfw-log "korvelfw: --log-commands= gives an empty value" \
  "$fw" --log-commands= --simulate scan
expect korvelfw-drive "korvelfw: --drive= gives an empty value" "$fw" --simulate scan --drive= 0:2
expect make-image-revision "korvel-make-image: --revision= gives an empty value" \
  "${program[make-image]}" --revision= --format B out.bin
expect make-image-format "korvel-make-image: --format= gives an empty value" \
  "${program[make-image]}" --format= B --revision 1.00 out.bin
expect disc-sectors-blocks "korvel-disc-sectors: --blocks= gives an empty value" \
  "${program[disc-sectors]}" tone --blocks= 3 out.bin
if [ -n "${program[tcmu]:-}" ]; then
  expect tcmu-scenario "korvel-tcmu: --scenario= gives an empty value" \
    "${program[tcmu]}" --scenario= --device 0:1 /dev/null
  expect tcmu-log "korvel-tcmu: --log= gives an empty value" \
    "${program[tcmu]}" --log= out.log --scenario s.json --device 0:1 /dev/null
fi
if [ -n "${program[upgrade]:-}" ]; then
  expect upgrade-log "--log-commands= gives an empty value" \
    "${program[upgrade]}" --log-commands= --simulate
  expect upgrade-screenshot "--screenshot-image= gives an empty value" \
    "${program[upgrade]}" --simulate --screenshot-image= out.bin
fi

if [ "$failures" -ne 0 ]; then
  echo "empty options: $failures failed"
  exit 1
fi
echo "empty options: all checks passed"

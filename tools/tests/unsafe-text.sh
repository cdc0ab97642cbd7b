#!/usr/bin/env bash
# No program hands the terminal a byte it would act on: unknown options, unknown commands, file
# names, revisions and drive texts with escape sequences, C1 controls or bidirectional overrides
# come out shown (\xNN in text, \uXXXX in JSON), never raw.
#
#     unsafe-text.sh korvelfw=PATH make-image=PATH disc-sectors=PATH [tcmu=PATH] [upgrade=PATH]
set -uo pipefail
declare -A program
for given in "$@"; do program["${given%%=*}"]="${given#*=}"; done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
title=$'\e]0;x\a'
failures=0

fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}

# The first unsafe thing in FILE: a C0 byte but the line feed, DEL, C1 as UTF-8, a
# bidirectional override, isolate or mark, or bytes that are not UTF-8 (a lone C1 byte).
unsafe_in() {
  LC_ALL=C grep -aoP '[\x00-\x09\x0B-\x1F\x7F]|\xC2[\x80-\x9F]|\xE2\x80[\x8E\x8F\xAA-\xAE]|\xE2\x81[\xA6-\xA9]|\xD8\x9C' \
    "$1" | head -1 | od -An -tx1
  iconv -f UTF-8 -t UTF-8 "$1" >/dev/null 2>&1 || echo "not UTF-8"
}

# expect NAME EXIT TEXT COMMAND...: the command ends with EXIT ("nonzero": any failure), TEXT
# appears on stdout or stderr, and neither holds an unsafe byte.
expect() {
  local name="$1" exit="$2" text="$3"
  shift 3
  timeout 20 "$@" >"$work/out" 2>"$work/err" </dev/null
  local status=$?
  if [ "$exit" = nonzero ] && [ "$status" != 0 ]; then status=nonzero; fi
  [ "$status" = "$exit" ] || fail "$name: exit $status (expected $exit): $(cat -v "$work/err")"
  if [ -n "$text" ] && ! cat "$work/out" "$work/err" | grep -qF -- "$text"; then
    fail "$name: \"$text\" not in: $(cat -v "$work/out" "$work/err")"
  fi
  for stream in out err; do
    local found
    found="$(unsafe_in "$work/$stream")"
    [ -z "$found" ] || fail "$name: std$stream holds $found: $(cat -v "$work/$stream")"
  done
}

fw="${program[korvelfw]}"
cat >"$work/tricky.json" <<'EOF'
{"os": "win98", "aspi": {"installed": true}, "adapters": [{"id": 0, "targets": [
  {"id": 2, "vendor": "KORVEL", "product": "CD\u001b[2J\u202eRZ5140", "revision": "\u009b2J"}]}]}
EOF
printf '{"os": "win98"}\0{"os": "nt4"}' >"$work/nul.json"
ln -s /dev/full "$work/log$title.jsonl"
mkdir "$work/d$title"
export QT_QPA_PLATFORM=offscreen
expect korvelfw-unknown-option 2 'not expected: --\x1B]0;x\x07' "$fw" --simulate scan "--$title"
expect korvelfw-unknown-global 2 '\x1B]0;x\x07' "$fw" "--$title" scan
expect korvelfw-empty-value 2 'gives an empty value' "$fw" --simulate "--$title=" scan
expect korvelfw-unknown-command 2 'korvelfw: unknown command "frob"; the commands are scan,' "$fw" frob
expect korvelfw-unknown-command-escaped 2 'unknown command "\x1B]0;x\x07"' "$fw" --json "$title"
expect korvelfw-scan-text 0 'KORVEL   CD\x1B[2J\xE2\x80\xAERZ5140  \xC2\x9B2J' \
  "$fw" "--simulate=$work/tricky.json" scan
expect korvelfw-scan-json 0 '"product": "CD\u001b[2J\u202eRZ5140 "' \
  "$fw" "--simulate=$work/tricky.json" --json scan
expect korvelfw-scan-json-c1 0 '"revision": "\u009b2J"' \
  "$fw" "--simulate=$work/tricky.json" --json scan
expect korvelfw-log-full 2 "log\\x1B]0;x\\x07.jsonl: No space left on device" \
  "$fw" --simulate --log-commands "$work/log$title.jsonl" scan
expect korvelfw-scenario-nul 2 'a NUL byte at offset 15' "$fw" "--simulate=$work/nul.json" host-info

image="${program[make-image]}"
expect make-image-unknown-option 2 '\x1B]0;x\x07' "$image" --format B --revision 1.50 "--$title" \
  "$work/a.bin"
expect make-image-long-revision 2 'got "\x1B]0;x\x07"' "$image" --format B --revision "$title" \
  "$work/a.bin"
expect make-image-escaped-revision 0 'revision "\x1B[2J"' "$image" --format B --revision $'\e[2J' \
  "$work/b$title.bin"
expect make-image-escaped-output 0 "wrote $work/b\\x1B]0;x\\x07.bin" "$image" --format B \
  --revision 1.50 "$work/b$title.bin"
expect make-image-bad-break 2 'got "\x1B]0;"' "$image" --format B --revision 1.50 \
  --break $'\e]0;' "$work/a.bin"
expect make-image-no-folder 1 "cannot write $work/none\\x1B]0;x\\x07/a.bin" "$image" --format B \
  --revision 1.50 "$work/none$title/a.bin"
expect make-image-refused-output 2 "cannot write $work/d\\x1B]0;x\\x07" "$image" --format B \
  --revision 1.50 "$work/d$title"

expect disc-sectors-unknown-option nonzero '\x1B]0;x\x07' "${program[disc-sectors]}" tone \
  "--$title" "$work/t.bin" --blocks 1
if [ -n "${program[tcmu]:-}" ]; then
  expect tcmu-unknown-option nonzero '\x1B]0;x\x07' "${program[tcmu]}" --scenario "$work/tricky.json" \
    --device 0:2 "--$title" /dev/null
fi
if [ -n "${program[upgrade]:-}" ]; then
  expect upgrade-unknown-option 2 '\x1B]0;x\x07' "${program[upgrade]}" "--$title"
fi

[ "$failures" = 0 ] && echo "unsafe text: all checks passed"
exit $((failures > 0))

#!/usr/bin/env bash
# Drives the bash completion of korvelfw the way bash does at a Tab press and checks what it
# offers: commands, options, the upgrade command's own options, drive addresses from a scan of
# the simulated PC, scenario files for --simulate= and .bin files for check and upgrade.
#
#   completion-test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build="$(realpath "$1")"
source="$(realpath "$2")"
bash_completion=/usr/share/bash-completion/bash_completion
if [ ! -r "$bash_completion" ]; then
  echo "bash-completion is not installed: skipped"
  exit 77
fi
# shellcheck disable=SC1090
source "$bash_completion"
source "$source/packaging/completion/korvelfw"
PATH="$build/src/cli:$PATH"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch new.bin OLD.BIN notes.txt pc.json
mkdir folder
failures=0

# complete_line 'korvelfw chec' -> the words offered for the last word of the line.
complete_line() {
  local line="$1"
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="$line"
  COMP_POINT=${#line}
  COMPREPLY=()
  _korvelfw korvelfw "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

expect() {
  local line="$1" want="$2" got
  got="$(complete_line "$line")"
  if [ "$got" != "$want" ]; then
    echo "FAILED: '$line' offered '$got', expected '$want'" >&2
    failures=$((failures + 1))
  fi
}

expect 'korvelfw ' 'check disc-info host-info scan speed tracks upgrade'
expect 'korvelfw ho' 'host-info'
expect 'korvelfw host-info --j' '--json'
expect 'korvelfw speed --s' '--set --simulate --simulate='
expect 'korvelfw up' 'upgrade'
expect 'korvelfw --dr' '--drive'
expect 'korvelfw --simulate scan --j' '--json'
expect 'korvelfw upgrade new.bin --d' '--drive --dry-run'
expect 'korvelfw check new.bin --y' ''
expect 'korvelfw --simulate scan --drive ' '0:2 1:1 1:5'
expect 'korvelfw scan --drive ' ''
expect 'korvelfw check ' 'OLD.BIN folder new.bin'
expect 'korvelfw --simulate=p' '--simulate=pc.json'
expect 'korvelfw --log-commands no' 'notes.txt'

[ "$failures" -eq 0 ] || exit 1
echo "The completion offers what it should."

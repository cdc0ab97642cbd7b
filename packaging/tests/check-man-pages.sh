#!/usr/bin/env bash
# The manual pages are written by hand, so this check keeps them honest: every command and every
# option that `korvelfw --help` and `korvelfw COMMAND --help` list (and every option of
# `korvel-upgrade --help`) must be described in the page, and groff must format the pages
# without a warning.
#
#   check-man-pages.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$(realpath "$1")"
source="$(realpath "$2")"
korvelfw="$build/src/cli/korvelfw"
app="$build/src/app/korvel-upgrade"
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# The page with roff's escaped hyphens made plain, so that "\-\-drive" reads "--drive".
page_text() { sed 's/\\-/-/g' "$1"; }

# Long options in a --help text.
options_of() { grep -o -- '--[a-z][a-z-]*' | sort -u; }

for page in "$source/packaging/man/korvelfw.1" "$source/packaging/man/korvel-upgrade.1"; do
  warnings="$(groff -ww -man -z "$page" 2>&1 || true)"
  [ -z "$warnings" ] || fail "groff warns on $(basename "$page"): $warnings"
done

fw_page="$(page_text "$source/packaging/man/korvelfw.1")"
commands="$("$korvelfw" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }')"
[ -n "$commands" ] || fail "korvelfw --help lists no commands"
for command in $commands; do
  grep -Eq "^\.B(I)? $command( |\$)" <<<"$fw_page" ||
    fail "korvelfw(1) does not describe the command '$command'"
  for option in $("$korvelfw" "$command" --help | options_of); do
    grep -q -- "$option" <<<"$fw_page" || fail "korvelfw(1) does not describe $command $option"
  done
done
for option in $("$korvelfw" --help | options_of); do
  grep -q -- "$option" <<<"$fw_page" || fail "korvelfw(1) does not describe $option"
done

if [ -x "$app" ]; then
  app_page="$(page_text "$source/packaging/man/korvel-upgrade.1")"
  for option in $(QT_QPA_PLATFORM=offscreen "$app" --help | options_of); do
    grep -q -- "$option" <<<"$app_page" || fail "korvel-upgrade(1) does not describe $option"
  done
fi

[ "$failures" -eq 0 ] || exit 1
echo "The manual pages describe every command and option."

#!/usr/bin/env bash
# Installs the Debian package as a user would, tries the installed programs from their installed
# paths, runs lintian on the package and removes it again. Needs root (CI runs as root).
#
#   packaging/tests/install-test.sh build/default/package/korvel_1.5.0_amd64.deb
set -euo pipefail

deb="$(realpath "$1")"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
failures=0

check() {
  local what="$1"
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}

contains() { grep -q -- "$2" <<<"$1"; }

if dpkg-query -W korvel >/dev/null 2>&1; then
  echo "error: a korvel package is installed already; remove it first (apt-get remove korvel)" >&2
  exit 1
fi

echo "Installing $deb ..."
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
# Whatever happens below, the machine is left without the package.
remove_package() {
  dpkg-query -W korvel >/dev/null 2>&1 &&
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq korvel >/dev/null
  return 0
}
trap remove_package EXIT

check "korvelfw is installed in /usr/bin" test -x /usr/bin/korvelfw
check "korvel-upgrade is installed in /usr/bin" test -x /usr/bin/korvel-upgrade
check "the image maker is not installed" test ! -e /usr/bin/korvel-make-image

version="$(/usr/bin/korvelfw --version || true)"
check "korvelfw --version says 'korvelfw 1.05' ($version)" contains "$version" '^korvelfw 1\.05$'
scan="$(/usr/bin/korvelfw --simulate scan || true)"
check "korvelfw --simulate scan finds the three drives" contains "$scan" '^3 Korvel drives found\.$'
nt4="$(/usr/bin/korvelfw --simulate=/usr/share/korvel/scenarios/nt4-passthrough.json scan || true)"
check "an installed sample scenario runs" contains "$nt4" 'Korvel drive'
# No display: the window program must still answer --help and --version.
help="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/korvel-upgrade --help || true)"
check "korvel-upgrade --help without a display" contains "$help" '--simulate'
app_version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/korvel-upgrade --version || true)"
check "korvel-upgrade --version ($app_version)" contains "$app_version" '^korvel-upgrade 1\.05$'

check "man korvelfw finds the page" test -n "$(man -w korvelfw || true)"
page="$(MANWIDTH=100 man korvelfw 2>/dev/null | col -b)"
check "man korvelfw shows the exit codes" contains "$page" 'EXIT STATUS'
check "man korvel-upgrade finds the page" test -n "$(man -w korvel-upgrade || true)"
check "the desktop entry is installed" test -f /usr/share/applications/korvel-upgrade.desktop
for size in 16x16 32x32 48x48; do
  check "the $size icon is installed" test -f "/usr/share/icons/hicolor/$size/apps/korvel-upgrade.png"
done
check "the bash completion is installed" test -f /usr/share/bash-completion/completions/korvelfw

echo "lintian:"
lintian_out="$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)"
echo "$lintian_out" | sed 's/^/  /'
check "lintian reports no errors" test -z "$(grep '^E:' <<<"$lintian_out" || true)"

echo "Removing ..."
remove_package
check "korvelfw is gone after removal" test ! -e /usr/bin/korvelfw
check "the manual page is gone after removal" test ! -e /usr/share/man/man1/korvelfw.1.gz

if [ "$failures" -ne 0 ]; then
  echo "$failures install checks failed" >&2
  exit 1
fi
echo "All install checks passed."

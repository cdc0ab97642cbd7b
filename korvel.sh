#!/usr/bin/env bash
# Set-up, build and the two everyday jobs of the Korvel firmware upgrade utility.
#
#   ./korvel.sh demo      flash a sample image to an emulated drive of the built-in simulated PC
#   ./korvel.sh test      build and run the whole test suite
#   ./korvel.sh sanitize  the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   ./korvel.sh build     only install what is missing, configure and build
#   ./korvel.sh screenshots  take the README's pictures of the window again (under Xvfb)
#   ./korvel.sh package   make the Debian package (build/default/package/korvel_*.deb)
#   ./korvel.sh package-test  make it, install it with apt-get, try the installed programs,
#                         run lintian on it and remove it again (needs root, as CI has)
#
# On a fresh Debian 12 machine the script installs the packages it needs with apt-get (as root,
# or through sudo when that is available).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  fonts-dejavu-core bash-completion groff-base
)

install_missing() {
  local missing=()
  local packages=("${packages[@]}" "$@")
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then
      sudo=(sudo)
    else
      echo "error: these packages are missing and installing them needs root: ${missing[*]}" >&2
      exit 1
    fi
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

build() {
  local preset="$1"
  install_missing
  cmake --preset "$preset" >/dev/null
  # The compiler's lines go to a log; they are shown only when the build fails.
  local log="$here/build/$preset-build.log"
  echo "Building ($preset) ..."
  if ! cmake --build --preset "$preset" -j "$(nproc)" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "error: the build failed; the whole log is $log" >&2
    exit 1
  fi
}

run_tests() {
  local preset="$1"
  build "$preset"
  QT_QPA_PLATFORM=offscreen ctest --preset "$preset"
}

screenshots() {
  install_missing xvfb xauth
  build default
  "$here/tools/screenshots.sh" "$here/build/default"
}

package() {
  install_missing dpkg-dev file
  build default
  rm -rf "$here/build/default/package"
  echo "Packaging ..."
  (cd "$here/build/default" && cpack -G DEB >"$here/build/default-package.log" 2>&1) || {
    tail -n 30 "$here/build/default-package.log"
    echo "error: cpack failed; the whole log is $here/build/default-package.log" >&2
    exit 1
  }
  ls "$here"/build/default/package/korvel_*.deb
}

package_test() {
  install_missing lintian man-db
  package
  "$here/packaging/tests/install-test.sh" "$(ls "$here"/build/default/package/korvel_*.deb)"
}

demo() {
  build default
  "$here/tools/demo.sh" "$here/build/default"
}

case "${1:-}" in
  demo) demo ;;
  test) run_tests default ;;
  sanitize) run_tests asan ;;
  build) build default ;;
  screenshots) screenshots ;;
  package) package ;;
  package-test) package_test ;;
  *)
    sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac

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
#   ./korvel.sh fuzz [TARGET] [SECONDS]  run each fuzz target (or one) for SECONDS (default 60)
#   ./korvel.sh fuzz-smoke  run each fuzz target for a few seconds from its seed corpus (CI)
#   ./korvel.sh discs     make the sample discs (build/default/scenarios/discs/) and list their
#                         scenarios for --simulate
#   ./korvel.sh rig [GROUP...]  boot Debian's Linux kernel under QEMU with emulated SCSI drives
#                         and run the real-kernel case groups of tools/vm/cases (or the named ones)
#   ./korvel.sh peers     the whole peer matrix in the rig: every sample disc read by cd-info,
#                         wodim, cdrdao, cdparanoia, eject, blkid, mount and sg_dd (CI runs a
#                         reduced set of it, the group peers-ci, within ./korvel.sh rig)
#   ./korvel.sh windows   build the 32-bit Windows programs with mingw-w64 (build/windows/)
#   ./korvel.sh wine-test  build them and run them under Wine (in a QEMU guest): korvelfw.exe
#                         through the test WNASPI32.DLL, its simulated PC and Wine's own ASPI
#                         library, and the layout of the native dialog korvel-upgrade.exe
#   ./korvel.sh wine-dialog [test|screenshots]  only the native dialog under Wine and Xvfb: its
#                         layout test, or the README's pictures of it
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
  libcli11-dev nlohmann-json3-dev libsystemd-dev
  fonts-dejavu-core bash-completion groff-base
  xorriso
)

# as_root COMMAND...: runs it as root, through sudo when this user is not root.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "error: '$*' needs root, and sudo is not available" >&2
    exit 1
  fi
}

# wine32 and its libraries come from the i386 architecture, whose libraries must carry exactly
# the versions of the amd64 ones installed.
add_i386_architecture() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  echo "Adding the i386 architecture (for wine32)"
  as_root dpkg --add-architecture i386
}

# The mirror these machines reach has served an i386 index that does not match its signed
# Release file ("File has unexpected size ... Mirror sync in progress?"); apt then ignores that
# index, finds no i386 version of the updated libraries and cannot install wine32. The index it
# serves is the mirror's own, only stale: it is taken as it is, and the script says so.
update_package_lists() {
  local log
  log="$(mktemp)"
  if as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  cat "$log" >&2
  local failed
  failed="$(sed -n 's|^E: Failed to fetch \(http[^ ]*/binary-i386/Packages\.xz\).*|\1|p' "$log" |
    head -n 1)"
  rm -f "$log"
  if [ -z "$failed" ]; then
    echo "error: apt-get update failed" >&2
    exit 1
  fi
  local list
  list="/var/lib/apt/lists/$(echo "${failed#http://}" | sed 's|/|_|g')"
  list="${list%.xz}"
  echo "warning: using the i386 index $failed as the mirror serves it, although it does not" \
    "match the mirror's Release file" >&2
  local fetched
  fetched="$(mktemp)"
  /usr/lib/apt/apt-helper download-file "$failed" "$fetched" >/dev/null
  xz -dc "$fetched" | as_root tee "$list" >/dev/null
  rm -f "$fetched"
}

install_missing() {
  local missing=()
  local packages=("${packages[@]}" "$@")
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  case " ${missing[*]} " in *" wine32 "* | *":i386 "*) add_i386_architecture ;; esac
  update_package_lists
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
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

# The system bus services the tests talk to are mocks on a private bus; only the tests need them.
test_packages=(dbus-daemon python3-dbus python3-dbusmock)

run_tests() {
  local preset="$1"
  install_missing "${test_packages[@]}"
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

fuzz_targets() {
  local target
  for target in "$here"/fuzz/*Fuzzer.cpp; do
    target="$(basename "$target" Fuzzer.cpp)"
    # ScenarioFuzzer -> scenario, UpgradeFile -> upgrade_file
    echo "$target" | sed 's/\([a-z]\)\([A-Z]\)/\1_\2/g' | tr '[:upper:]' '[:lower:]'
  done
}

# run_fuzzer TARGET SECONDS [SEEDS_ONLY]: libFuzzer on TARGET for SECONDS. The corpus it grows is
# kept in build/fuzz/corpus/TARGET (the checked-in seeds in fuzz/corpus/TARGET are only read);
# a crash is written to build/fuzz/artifacts/.
run_fuzzer() {
  local target="$1" seconds="$2" seeds_only="${3:-}"
  local program="$here/build/fuzz/fuzz/fuzz_$target"
  local seeds="$here/fuzz/corpus/$target"
  local corpus="$here/build/fuzz/corpus/$target"
  [ -n "$seeds_only" ] && corpus="$(mktemp -d)"
  mkdir -p "$corpus" "$here/build/fuzz/artifacts"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$here/build/fuzz/artifacts/$target-")
  [ -f "$here/fuzz/$target.dict" ] && options+=(-dict="$here/fuzz/$target.dict")
  echo "== fuzz_$target, $seconds s"
  local log status=0
  log="$(mktemp)"
  "$program" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  # The closing figures: executions, coverage, corpus, speed, peak memory.
  grep -E '^(#[0-9]+[[:space:]]+DONE|Done |stat::(number_of_executed_units|peak_rss_mb))' "$log" || true
  if [ "$status" -ne 0 ]; then
    grep -A 40 -E '==[0-9]+==ERROR|runtime error|deadly signal' "$log" | head -n 60 >&2 ||
      tail -n 40 "$log" >&2
  fi
  rm -f "$log"
  [ -n "$seeds_only" ] && rm -rf "$corpus"
  return "$status"
}

fuzz() {
  local only="${1:-}" seconds="${2:-60}"
  case "$seconds" in '' | *[!0-9]* | 0)
    echo "error: SECONDS must be a whole number above 0, not '$seconds'" >&2
    exit 2
    ;;
  esac
  local targets
  targets="$(fuzz_targets)"
  if [ -n "$only" ] && ! grep -qx "$only" <<<"$targets"; then
    echo "error: no fuzz target '$only'; the targets are:" $targets >&2
    exit 2
  fi
  install_missing clang libclang-rt-14-dev
  build fuzz
  local failed=()
  for target in ${only:-$targets}; do
    run_fuzzer "$target" "$seconds" "${3:-}" || failed+=("$target")
  done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "error: these fuzz targets failed: ${failed[*]} (inputs in build/fuzz/artifacts/)" >&2
    exit 1
  fi
}

discs() {
  build default
  local folder="$here/build/default/scenarios/discs"
  echo "Sample discs, each in a Korvel CD-R drive of a simulated PC (--simulate=FILE):"
  ls "$folder"/*.json
}

# The real-kernel rig needs a kernel and QEMU only when it runs, so they are not in `packages`.
rig_packages=(qemu-system-x86 linux-image-amd64 busybox-static sg3-utils cpio libcdio-utils
  wodim cdrdao cdparanoia eject util-linux)

rig() {
  install_missing "${rig_packages[@]}"
  build default
  "$here/tools/vm/rig.sh" "$here/build/default" "$@"
}

peers() {
  install_missing "${rig_packages[@]}"
  build default
  "$here/tools/vm/rig.sh" "$here/build/default" --on-request
}

windows_packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686)

windows() {
  install_missing "${windows_packages[@]}"
  build windows
  ls "$here"/build/windows/src/cli/*.exe "$here"/build/windows/src/winapp/*.exe \
    "$here"/build/windows/tools/*.exe
}

# Wine runs inside Debian's kernel under QEMU, since the kernel of the machine that builds may
# lack 32-bit support; the guest uses the programs installed here.
wine_packages=(wine wine32 fonts-wine xvfb x11-utils xdotool file
  qemu-system-x86 linux-image-amd64 busybox-static cpio)

# host_runs_wine32: whether this machine's kernel starts Wine's 32-bit loader.
host_runs_wine32() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# in_wine_guest OUT TIMEOUT COMMAND: COMMAND (a line of bash) run from OUT under Wine in the
# guest, with a fresh 32-bit prefix in OUT/prefix; prints the guest's output.
in_wine_guest() {
  local out="$1" timeout="$2" command="$3"
  rm -rf "$out"
  mkdir -p "$out"
  printf 'export KORVEL_SOURCE=%q
%s
' "$here" "$command" >"$out/guest.sh"
  "$here/tools/wine/run-in-guest.sh" --out "$out" --keep "$here" --timeout "$timeout" \
    "$out/guest.sh"
}

# The native dialog korvel-upgrade.exe, the 32-bit build, under Wine and Xvfb.
wine_dialog() {
  local job="$1"
  case "$job" in test | screenshots) ;; *)
    echo "error: wine-dialog takes test or screenshots, not '$job'" >&2
    exit 2
    ;;
  esac
  install_missing "${windows_packages[@]}" "${wine_packages[@]}" imagemagick
  build windows
  if host_runs_wine32; then
    "$here/tools/wine-dialog.sh" "$job" "$here/build/windows"
    return
  fi
  local out="$here/build/windows/wine-dialog-guest"
  local command='KORVEL_SCREENSHOTS="$PWD/screenshots" "$KORVEL_SOURCE/tools/wine-dialog.sh"'
  command+=" $job"' "$KORVEL_SOURCE/build/windows" "$PWD/dialog"'
  in_wine_guest "$out" 900 "$command"
  if [ "$job" = screenshots ]; then
    cp "$out"/screenshots/*.png "$here/docs/screenshots/"
    echo "Copied to docs/screenshots/:" $(cd "$out/screenshots" && ls)
  fi
}

wine_test() {
  install_missing "${windows_packages[@]}" "${wine_packages[@]}"
  build windows
  local built="$here/build/windows" program
  # The guest copies the programs into the shared folder, where the runs write their files.
  local copy="mkdir -p programs && cp"
  for program in "$built/src/cli/korvelfw.exe" "$built/tools/korvel-make-image.exe" \
    "$built/tools/wnaspi32/WNASPI32.DLL" "$here"/scenarios/*.json; do
    copy+=" $(printf '%q' "$program")"
  done
  local status=0
  in_wine_guest "$built/wine-test" 1500 \
    "$copy programs/ && source \"\$KORVEL_SOURCE/tools/wine/wine-checks.sh\"" |
    tee "$built/wine-test.log" || status=$?
  grep '^wine-test: ' "$built/wine-test.log" | tail -n 1 ||
    echo "wine-test: no result (exit $status)"
  return "$status"
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
  fuzz) fuzz "${2:-}" "${3-60}" ;;
  fuzz-smoke) fuzz "" 5 seeds-only ;;
  discs) discs ;;
  rig)
    shift
    rig "$@"
    ;;
  peers) peers ;;
  windows) windows ;;
  wine-test) wine_test ;;
  wine-dialog) wine_dialog "${2:-test}" ;;
  *)
    sed -n '2,29p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac

#!/usr/bin/env bash
# The real-kernel rig: one boot of Debian's kernel under QEMU (TCG) per case group, with the
# programs of BUILD_DIR. A group fails when its guest prints a "RIG FAIL" line, when the guest
# never prints "RIG DONE" (panic, crash, hang, time-out) or when it ran no check.
#
#   rig.sh BUILD_DIR [GROUP...]     the groups of tools/vm/cases, or the named ones
#   rig.sh BUILD_DIR --on-request   the groups run only on request (RIG_ON_REQUEST=1)
#
# KORVEL_RIG_KERNEL=/boot/vmlinuz-RELEASE picks the kernel (default: the newest in /boot).
# Each group's console is kept in BUILD_DIR/rig/GROUP.console.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

[ $# -ge 1 ] || {
  sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
build="$(cd "$1" && pwd)"
shift

# A group whose file says RIG_ON_REQUEST=1 (the whole peer matrix) is too long for every run:
# it runs when named, or with --on-request.
groups=("$@")
if [ ${#groups[@]} -eq 0 ] || [ "${groups[*]}" = --on-request ]; then
  wanted=no
  [ ${#groups[@]} -eq 0 ] || wanted=yes
  groups=()
  for file in "$here"/cases/*.sh; do
    on_request=no
    grep -q '^RIG_ON_REQUEST=1' "$file" && on_request=yes
    [ "$on_request" = "$wanted" ] && groups+=("$(basename "$file" .sh)")
  done
fi
for group in "${groups[@]}"; do
  [ -f "$here/cases/$group.sh" ] || {
    echo "error: no case group '$group'; the groups are:" \
      "$(for file in "$here"/cases/*.sh; do basename "$file" .sh; done | tr '\n' ' ')" >&2
    exit 2
  }
done

kernel="${KORVEL_RIG_KERNEL:-$(ls /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1)}"
[ -f "$kernel" ] || {
  echo "error: no kernel in /boot (install linux-image-amd64)" >&2
  exit 1
}
[ -r "$kernel" ] || {
  echo "error: $kernel cannot be read by this user; run the rig as root" >&2
  exit 1
}
release="${kernel##*/vmlinuz-}"

programs=(
  "$build/src/cli/korvelfw" "$build/tools/korvel-make-image"
  /usr/bin/sg_inq /usr/bin/sg_readcap /usr/bin/sg_raw /usr/bin/sg_write_buffer
  /usr/bin/sg_turs /usr/bin/sg_requests
)
for program in "${programs[@]}"; do
  [ -x "$program" ] || {
    echo "error: $program is missing (build the project, install sg3-utils)" >&2
    exit 1
  }
done
base_modules=(scsi_mod sd_mod sr_mod cdrom sg virtio_pci virtio_scsi sym53c8xx)

work="$build/rig"
mkdir -p "$work"

# run_group GROUP: boots the group once; prints "passed failed verdict" on its last line.
run_group() (
  local group="$1"
  local QEMU_ARGS=() GUEST_FILES=() GUEST_MODULES=() RIG_TIMEOUT=300
  export RIG_BUILD="$build" RIG_ROOT="$root"
  # shellcheck source=/dev/null
  source "$here/cases/$group.sh"
  local script="$work/$group.script" initramfs="$work/$group.cpio" console="$work/$group.console"
  if ! declare -F guest_script >/dev/null; then
    echo "the case file defines no guest_script" >"$console"
    echo "0 0 broken"
    return
  fi
  guest_script >"$script"
  local options=(-o "$initramfs" -r "$release" -s "$script")
  local item
  for item in "${base_modules[@]}" "${GUEST_MODULES[@]}"; do options+=(-m "$item"); done
  for item in "${programs[@]}"; do options+=(-p "$item"); done
  for item in "${GUEST_FILES[@]}"; do options+=(-f "$item"); done
  if ! "$here/make-initramfs.sh" "${options[@]}" >"$console" 2>&1; then
    echo "0 0 broken"
    return
  fi
  # -nodefaults leaves out every device a case did not ask for; the serial port is the console.
  timeout --kill-after=10 "$RIG_TIMEOUT" qemu-system-x86_64 -accel tcg -cpu max -m 512 -smp 1 \
    -nodefaults -no-reboot -display none -monitor none -serial stdio \
    -kernel "$kernel" -initrd "$initramfs" \
    -append "console=ttyS0 quiet panic=1 rdinit=/init scsi_mod.scan=sync" \
    "${QEMU_ARGS[@]}" </dev/null 2>&1 | tr -d '\r' >"$console" || true
  local passed failed verdict=ok
  passed=$(grep -c '^RIG PASS ' "$console" || true)
  failed=$(grep -c '^RIG FAIL ' "$console" || true)
  if ! grep -q '^RIG DONE$' "$console"; then
    verdict=unfinished
  elif [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ]; then
    verdict=empty
  elif [ "$failed" -gt 0 ]; then
    verdict=failed
  fi
  echo "$passed $failed $verdict"
)

start=$SECONDS
total_passed=0 total_failed=0 bad_groups=()
for group in "${groups[@]}"; do
  group_start=$SECONDS
  read -r passed failed verdict < <(run_group "$group" | tail -n 1)
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  seconds=$((SECONDS - group_start))
  case "$verdict" in
    ok) echo "== $group: $passed checks passed ($seconds s)" ;;
    *)
      bad_groups+=("$group")
      case "$verdict" in
        failed) why="$failed of $((passed + failed)) checks failed" ;;
        unfinished) why="the guest never reached RIG DONE (panic, crash, hang or time-out)" ;;
        empty) why="no check ran" ;;
        *) why="the group could not be set up" ;;
      esac
      echo "== $group: FAILED, $why ($seconds s); its console ($work/$group.console):"
      sed 's/^/   /' "$work/$group.console"
      grep '^RIG FAIL ' "$work/$group.console" | sed "s/^RIG FAIL /   FAIL $group\//" || true
      ;;
  esac
done

echo "Rig: ${#groups[@]} groups, ${#bad_groups[@]} failed${bad_groups[*]:+ (${bad_groups[*]})};" \
  "$total_passed checks passed, $total_failed failed; $((SECONDS - start)) s"
[ ${#bad_groups[@]} -eq 0 ]

# Helpers for the guest scripts of the real-kernel rig (busybox sh). Sourced by /init before the
# group's script; tools/vm/README.md lists them. Every verdict is one console line that begins
# with "RIG PASS " or "RIG FAIL ", which is all the host reads.

RIG_STDOUT=/tmp/rig-stdout
RIG_STDERR=/tmp/rig-stderr
RIG_OUTPUT=/tmp/rig-output
RIG_STATUS=0
# A command that hangs should cost one check, not the whole boot (the host's time-out).
RIG_CHECK_TIMEOUT=${RIG_CHECK_TIMEOUT:-90}

pass() {
  echo "RIG PASS $1"
}

# fail NAME WHY
fail() {
  echo "RIG FAIL $1: $2"
  : >/tmp/rig-failed
}

note() {
  echo "RIG NOTE $*"
}

# indent FILE: a file, marked as output so that no line of it reads as a verdict. A long one is
# cut in the middle: the start says what ran, the end how it ended.
indent() {
  local lines
  if [ ! -f "$1" ]; then
    echo "  | (there is no $1)"
    return
  fi
  lines=$(wc -l <"$1")
  if [ "$lines" -le 40 ]; then
    sed 's/^/  | /' "$1"
  else
    head -n 10 "$1" | sed 's/^/  | /'
    echo "  | ... ($((lines - 40)) lines left out)"
    tail -n 30 "$1" | sed 's/^/  | /'
  fi
}

show() {
  "$@" </dev/null >/tmp/rig-show 2>&1
  indent /tmp/rig-show
}

# run_captured CMD...: runs CMD with the console kept away from it, keeps its output and status.
run_captured() {
  timeout "$RIG_CHECK_TIMEOUT" "$@" </dev/null >"$RIG_STDOUT" 2>"$RIG_STDERR"
  RIG_STATUS=$?
  cat "$RIG_STDOUT" "$RIG_STDERR" >"$RIG_OUTPUT"
}

# judge_status NAME EXPECTED: the verdict on the last command's exit code.
judge_status() {
  if [ "$RIG_STATUS" = "$2" ]; then
    pass "$1"
  else
    fail "$1" "exit code $RIG_STATUS, expected $2"
    indent "$RIG_OUTPUT"
  fi
}

# check NAME EXPECTED_EXIT CMD [ARG...]
check() {
  local name="$1" expected="$2"
  shift 2
  run_captured "$@"
  judge_status "$name" "$expected"
}

# quoted ARG...: the arguments as one line that sh reads back as the same words.
quoted() {
  local word
  for word in "$@"; do
    printf "'%s' " "$(printf '%s' "$word" | sed "s/'/'\\\\''/g")"
  done
}

# check_as USER NAME EXPECTED_EXIT CMD [ARG...]: su gives the user the groups /etc/group lists.
# The command goes to su as one -c text: busybox su would take a "--drive" after the user name
# for an option of its own.
check_as() {
  local user="$1" name="$2" expected="$3"
  shift 3
  run_captured su -s /bin/sh -c "exec $(quoted "$@")" "$user"
  judge_status "$name" "$expected"
}

# expect NAME REGEX [FILE]
expect() {
  if grep -Eq -- "$2" "${3:-$RIG_OUTPUT}"; then
    pass "$1"
  else
    fail "$1" "no line matches /$2/"
    indent "${3:-$RIG_OUTPUT}"
  fi
}

# expect_not NAME REGEX [FILE]
expect_not() {
  if grep -Eq -- "$2" "${3:-$RIG_OUTPUT}"; then
    fail "$1" "a line matches /$2/"
    indent "${3:-$RIG_OUTPUT}"
  else
    pass "$1"
  fi
}

# expect_equal NAME A B
expect_equal() {
  if [ "$2" = "$3" ]; then
    pass "$1"
  else
    fail "$1" "'$2' is not '$3'"
  fi
}

# load_modules NAME...: each module after the modules it needs; loaded ones are skipped.
load_modules() {
  local module name line dependency
  for module in "$@"; do
    name=$(echo "$module" | tr - _)
    line=$(grep "^$name:" /rig/modules/modules.dep)
    if [ -z "$line" ]; then
      fail modules "no module $module in the initramfs"
      return 1
    fi
    for dependency in ${line#*:} "$name"; do
      [ -d "/sys/module/$dependency" ] && continue
      if ! insmod "/rig/modules/$dependency.ko" </dev/null >/tmp/rig-insmod 2>&1; then
        fail modules "insmod $dependency failed: $(head -n 1 /tmp/rig-insmod)"
        return 1
      fi
    done
  done
}

# add_user NAME UID [GROUP...]
add_user() {
  local user="$1" uid="$2" group
  shift 2
  echo "$user:x:$uid:100::/home/$user:/bin/sh" >>/etc/passwd
  mkdir -p "/home/$user"
  chown "$uid:100" "/home/$user"
  for group in "$@"; do
    awk -F: -v OFS=: -v group="$group" -v user="$user" \
      '$1 == group { $4 = ($4 == "" ? user : $4 "," user) } { print }' \
      /etc/group >/tmp/rig-group && cat /tmp/rig-group >/etc/group
  done
}

# sg_node H:C:T:L and sr_node H:C:T:L: the device's nodes, nothing when it has none.
sg_node() {
  local name
  for name in /sys/class/scsi_device/"$1"/device/scsi_generic/*; do
    [ -e "$name" ] && echo "/dev/${name##*/}"
  done
}

sr_node() {
  local name
  for name in /sys/class/scsi_device/"$1"/device/block/*; do
    [ -e "$name" ] && echo "/dev/${name##*/}"
  done
}

# host_of DRIVER: the SCSI hosts that DRIVER (its proc_name) runs, one number a line.
host_of() {
  local host
  for host in /sys/class/scsi_host/host*; do
    [ -e "$host/proc_name" ] && [ "$(cat "$host/proc_name")" = "$1" ] && echo "${host##*/host}"
  done
}

# serve NAME SCENARIO H:T TPGT: the scenario's device H:T as the TCM user device NAME, served by
# korvel-tcmu (its log in /tmp/NAME.log, its output in /tmp/NAME.err, its process id in
# /tmp/NAME.pid) and put at loopback target TPGT, LUN 0 of the one tcm_loop host.
serve() {
  local name="$1" item uio= dir tries=0
  local core=/sys/kernel/config/target/core/user_0
  local lio=/sys/kernel/config/target/loopback/naa.5001405000000001
  mkdir -p "$core/$name" || return 1
  # One item a write: the control file takes them one by one.
  for item in "dev_config=korvel/$name" dev_size=1073741824 cmd_ring_size_mb=1 \
    max_data_area_mb=16; do
    echo -n "$item" >"$core/$name/control" || return 1
  done
  echo 1 >"$core/$name/enable" || return 1
  for dir in /sys/class/uio/uio*; do
    case "$(cat "$dir/name")" in "tcm-user/0/$name/"*) uio="/dev/${dir##*/}" ;; esac
  done
  [ -c "$uio" ] || { fail "$name-uio" "no UIO node for the backstore $name"; return 1; }
  korvel-tcmu --scenario "$2" --device "$3" --log "/tmp/$name.log" "$uio" \
    </dev/null >"/tmp/$name.err" 2>&1 &
  echo $! >"/tmp/$name.pid"
  while ! grep -q serving "/tmp/$name.err" && [ $tries -lt 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  mkdir -p "$lio/tpgt_$4" || return 1
  echo -n naa.5001405000000002 >"$lio/tpgt_$4/nexus" || return 1
  mkdir -p "$lio/tpgt_$4/lun/lun_0" || return 1
  ln -s "$core/$name" "$lio/tpgt_$4/lun/lun_0/$name" || return 1
}

# served NAME LOG: every ring entry of the korvel-tcmu log LOG was sound; the opcodes the drive
# does not know (05/20/00) are noted, as the kernel probes for optional MMC commands.
served() {
  if grep -E 'entry refused|BUSY' "$2" >/tmp/refused; then
    fail "$1" "korvel-tcmu refused ring entries"
    indent /tmp/refused
  else
    pass "$1"
  fi
  note "$1: opcodes refused as unknown:" \
    $(grep '05/20/00' "$2" | cut -d' ' -f2 | sort -u)
}

# korvelfw_tracks FILE and cd_info_tracks FILE: "track start kind" lines from the output of
# `korvelfw tracks` and of cd-info; kind is audio or data.
korvelfw_tracks() {
  awk '$1 ~ /^[0-9]+$/ && $2 ~ /^[0-9]+$/ { print $1, $4, ($3 == "audio" ? "audio" : "data") }' "$1"
}
# busybox awk reads "000225" as octal: the LSN loses its leading zeros first.
cd_info_tracks() {
  awk '$1 ~ /^[0-9]+:$/ && $1 != "170:" { sub(":", "", $1); sub(/^0+/, "", $3); print $1 + 0, $3 + 0, $4 }' "$1"
}

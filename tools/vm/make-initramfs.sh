#!/usr/bin/env bash
# Builds the initramfs of one rig boot: busybox, the kernel modules asked for (with every module
# they depend on), programs with the libraries ldd lists, the guest helpers and the guest script.
#
#   make-initramfs.sh -o OUT -r KERNEL_RELEASE -s SCRIPT [-m MODULE]... [-p PROGRAM]... [-f FILE]...
#
#   -o OUT      the cpio archive to write (newc, uncompressed: the kernel takes it as it is and
#               the boot saves the time of unpacking)
#   -r RELEASE  the kernel release whose modules are used (/lib/modules/RELEASE)
#   -s SCRIPT   the guest script, run by /init
#   -m MODULE   a module by name (sg, sr_mod, crc-t10dif, ...); repeatable
#   -p PROGRAM  a program for /rig/bin; repeatable
#   -f FILE     a file for /rig/files (an ELF program brings its libraries); repeatable
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

usage() {
  sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

out="" release="" script=""
modules=() programs=() files=()
while getopts 'o:r:s:m:p:f:' option; do
  case "$option" in
    o) out="$OPTARG" ;;
    r) release="$OPTARG" ;;
    s) script="$OPTARG" ;;
    m) modules+=("$OPTARG") ;;
    p) programs+=("$OPTARG") ;;
    f) files+=("$OPTARG") ;;
    *) usage ;;
  esac
done
[ -n "$out" ] && [ -n "$release" ] && [ -n "$script" ] || usage

module_dir="/lib/modules/$release"
[ -f "$module_dir/modules.dep" ] || {
  echo "error: no modules.dep in $module_dir (is linux-image-amd64 installed?)" >&2
  exit 1
}

root="$(mktemp -d)"
chmod 755 "$root" # the guest's "/": other users must reach /bin
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/{bin,sbin,etc,proc,sys,dev,tmp,root,home,rig/bin,rig/files,rig/modules}

# Busybox; /init makes its applet links. The Debian package's busybox is static: no library.
cp /bin/busybox "$root/bin/busybox"
ln -s busybox "$root/bin/sh"

# copy_libraries ELF: every library the dynamic loader would map for ELF, at its own path.
copy_libraries() {
  local library
  # ldd prints "name => /path (addr)" or "/path (addr)"; a static program prints no path.
  for library in $(ldd "$1" 2>/dev/null | grep -o '/[^ ]*' || true); do
    [ -e "$root$library" ] && continue
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
}

is_elf() {
  [ "$(head -c 4 "$1" | od -An -c | tr -d ' ')" = '177ELF' ]
}

for program in "${programs[@]}"; do
  [ -f "$program" ] || {
    echo "error: no program $program" >&2
    exit 1
  }
  cp -L "$program" "$root/rig/bin/"
  copy_libraries "$program"
done
for file in "${files[@]}"; do
  [ -f "$file" ] || {
    echo "error: no file $file" >&2
    exit 1
  }
  cp -L "$file" "$root/rig/files/"
  is_elf "$file" && copy_libraries "$file"
done

# Modules: the kernel names a module with underscores whatever its file is called, so the guest
# finds each one as NAME.ko with dashes made underscores (module_name sets $module: no subshell,
# since it runs for every line of modules.dep). rig/modules/modules.dep lists, for each
# module, the modules it needs in the order they must be loaded.
module_name() {
  local base="${1##*/}"
  base="${base%%.ko*}"
  module="${base//-/_}"
}

declare -A dep_line=() wanted=()
while IFS= read -r line; do
  module_name "${line%%:*}"
  dep_line[$module]="$line"
done <"$module_dir/modules.dep"

# add_module NAME: the module and, first, everything it depends on (modules.dep lists every
# dependency, the direct ones first: modprobe loads the list from its end).
add_module() {
  local module name line path dependencies=() index
  module_name "$1"
  name="$module"
  [ -n "${wanted[$name]:-}" ] && return 0
  line="${dep_line[$name]:-}"
  if [ -z "$line" ]; then
    echo "error: the kernel $release has no module $1" >&2
    exit 1
  fi
  path="$module_dir/${line%%:*}"
  wanted[$name]=1
  read -r -a dependencies <<<"${line#*:}"
  local order=()
  for ((index = ${#dependencies[@]} - 1; index >= 0; index--)); do
    module_name "${dependencies[index]}"
    order+=("$module")
    add_module "$module"
  done
  case "$path" in
    *.ko) cp "$path" "$root/rig/modules/$name.ko" ;;
    *.ko.xz) xz -dc "$path" >"$root/rig/modules/$name.ko" ;;
    *.ko.zst) zstd -qdc "$path" >"$root/rig/modules/$name.ko" ;;
    *) echo "error: cannot unpack module $path" >&2 && exit 1 ;;
  esac
  echo "$name:${order[*]:+ ${order[*]}}" >>"$root/rig/modules/modules.dep"
}
: >"$root/rig/modules/modules.dep"
for module in "${modules[@]}"; do
  add_module "$module"
done

cat >"$root/etc/passwd" <<'EOF'
root:x:0:0:root:/root:/bin/sh
EOF
cat >"$root/etc/group" <<'EOF'
root:x:0:
disk:x:6:
cdrom:x:24:
users:x:100:
EOF

cp "$here/init.sh" "$root/init"
cp "$here/guest-lib.sh" "$root/rig/lib.sh"
cp "$script" "$root/rig/case.sh"
chmod 755 "$root/init"

(cd "$root" && find . -print | LC_ALL=C sort | cpio -o -H newc --quiet --owner=0:0) >"$out"

#!/usr/bin/env bash
# Runs the native dialog program korvel-upgrade.exe under Wine on a virtual X server.
#
#   tools/wine-dialog.sh test BUILD_DIR [OUT_DIR]  the layout test: every control of both
#                                               dialogs, read back from the running windows,
#                                               against the resource script; the drive scan of
#                                               the built-in simulated PC in the command log; and
#                                               an upgrade driven from the keyboard
#   tools/wine-dialog.sh screenshots BUILD_DIR [OUT_DIR]  korvel-upgrade-native*.png, into
#                                               KORVEL_SCREENSHOTS (default docs/screenshots)
#
# BUILD_DIR holds src/winapp/korvel-upgrade.exe (a 32-bit or a 64-bit build; Wine's loader is
# picked to match). OUT_DIR (default BUILD_DIR/wine-dialog) receives the layout report, the
# command log and the logs of Wine and Xvfb. When WINEPREFIX names a prefix that exists (as in
# the guest of tools/wine/run-in-guest.sh) it is used; otherwise a fresh one is made in
# OUT_DIR/prefix. Needs wine (wine32 or wine64), fonts-wine, xvfb, x11-utils, xdotool and, for
# the pictures, imagemagick.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
verb="${1:-}"
build="$(cd "${2:?usage: wine-dialog.sh test|screenshots BUILD_DIR [OUT_DIR]}" && pwd)"
exe="$build/src/winapp/korvel-upgrade.exe"
script="$root/src/winapp/resources/korvel-upgrade.rc"
[ -f "$exe" ] || { echo "error: $exe is not built" >&2; exit 1; }

# A 64-bit .exe needs Wine's 64-bit loader; a 32-bit one the 32-bit loader, which in turn needs
# a kernel that runs 32-bit Linux programs.
if file -b "$exe" | grep -q 'x86-64'; then
  wine=(/usr/lib/wine/wine64)
  wineserver=/usr/lib/wine/wineserver64
else
  wine=(wine)
  wineserver=wineserver
fi

work="${3:-$build/wine-dialog}"
mkdir -p "$work"
work="$(cd "$work" && pwd)"
rm -f "$work"/control-rects.txt "$work"/commands.jsonl
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX/drive_c" ]; then
  export WINEPREFIX="$work/prefix"
  rm -rf "$WINEPREFIX"
  fresh_prefix=1
fi

# Wine's programs that already run (a desktop process started without a display among them)
# end first, so that everything from here on belongs to the virtual display below.
"$wineserver" -k 2>/dev/null || true

# A display of our own: the first free number from 90.
display=90
while [ -e "/tmp/.X$display-lock" ] && [ "$display" -lt 140 ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
# Wine's programs end before their display does, so none of them reports a lost X connection.
trap '"$wineserver" -k 2>/dev/null; kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=":$display"

[ -n "${fresh_prefix:-}" ] && "${wine[@]}" wineboot -i >"$work/wineboot.log" 2>&1
# No window manager runs on the virtual display: Wine draws the caption and frame itself.
"${wine[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

# The X window of a top-level window by its caption, once it is mapped (at most 60 s).
window_id() {
  local caption="$1" id=""
  for _ in $(seq 1 120); do
    id="$(xwininfo -root -tree 2>/dev/null | grep -F "\"$caption\"" | awk '{print $1}' | head -n1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  echo "error: no window \"$caption\" appeared" >&2
  return 1
}

run_test() {
  local report="$work/control-rects.txt" log="$work/commands.jsonl"
  # The program writes its layout, opens the About box for its layout too, and ends itself.
  KORVEL_CONTROL_RECTS="$("${wine[@]}" winepath -w "$report" 2>/dev/null)" \
    timeout 180 "${wine[@]}" "$exe" --simulate --log-commands "$("${wine[@]}" winepath -w "$log" 2>/dev/null)"
  [ -s "$report" ] || { echo "error: the program wrote no layout" >&2; return 1; }
  python3 "$root/src/winapp/tests/check-control-rects.py" "$script" "$report"
  python3 "$root/src/winapp/tests/check-start-commands.py" "$log"
  walk_an_upgrade
}

# The window closes, at most 60 s from now.
window_gone() {
  local caption="$1"
  for _ in $(seq 1 120); do
    xwininfo -root -tree 2>/dev/null | grep -qF "\"$caption\"" || return 0
    sleep 0.5
  done
  echo "error: the window \"$caption\" did not close" >&2
  return 1
}

# Keyboard input to a window. Without a window manager activation may be refused; the focus is
# then set directly. The pointer goes over the window too: where the X focus follows the
# pointer (a slow machine that maps a window before Wine has moved the focus), keys still reach
# it.
focus() {
  xdotool mousemove --window "$1" 8 8 >/dev/null 2>&1 || true
  timeout 10 xdotool windowactivate --sync "$1" >/dev/null 2>&1 ||
    timeout 10 xdotool windowfocus "$1" >/dev/null 2>&1 || true
}

# An upgrade as a user makes it, from the keyboard: Load File, the image's path typed into the
# open file dialog, Open, Upgrade. The command log must end with the whole transfer and the
# version read back: 64 WRITE BUFFERs, the last in mode 5, then TEST UNIT READY, REQUEST SENSE
# and two INQUIRYs.
walk_an_upgrade() {
  local image="$work/RZ5140-150.bin" log="$work/walk.jsonl"
  "${wine[@]}" "$build/tools/korvel-make-image.exe" --format B --revision 1.50 \
    "$("${wine[@]}" winepath -w "$image" 2>/dev/null)" >/dev/null
  "${wine[@]}" "$exe" --simulate --log-commands "$("${wine[@]}" winepath -w "$log" 2>/dev/null)" &
  local program=$! main
  main="$(window_id "Korvel Firmware Upgrade Program  V1.05")"
  focus "$main"
  xdotool key --window "$main" alt+l
  local open
  open="$(window_id "Open")"
  focus "$open"
  if ! xdotool type --delay 20 "$("${wine[@]}" winepath -w "$image" 2>/dev/null)" ||
    ! xdotool key Return; then
    echo "error: the image's path could not be typed into the open file dialog" >&2
    return 1
  fi
  window_gone "Open"
  focus "$main"
  xdotool key --window "$main" alt+u
  local ending="" writes=0
  for _ in $(seq 1 360); do
    sleep 0.5
    [ -f "$log" ] || continue
    writes="$(grep -c '"cdb":"3B ' "$log" || true)"
    ending="$(sed -n '/"cdb":"3B 05 /,$p' "$log" | sed 's/.*"cdb":"\(..\).*/\1/' |
      tr '\n' ' ')"
    [ "$ending" = "3B 00 03 12 12 " ] && break
  done
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  if [ "$writes" != 64 ] || [ "$ending" != "3B 00 03 12 12 " ]; then
    echo "error: the upgrade from the dialog sent $writes WRITE BUFFERs, ending \"$ending\"" >&2
    return 1
  fi
  echo "upgrade from the dialog: 64 WRITE BUFFERs, then TEST UNIT READY, REQUEST SENSE, INQUIRY x2"
}

take_screenshots() {
  local out="${KORVEL_SCREENSHOTS:-$root/docs/screenshots}"
  mkdir -p "$out"
  "${wine[@]}" "$exe" --simulate &
  local program=$!
  local id
  id="$(window_id "Korvel Firmware Upgrade Program  V1.05")"
  sleep 2  # the scan and the first painting
  import -window "$id" "$out/korvel-upgrade-native.png"
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  "$wineserver" -k 2>/dev/null || true

  KORVEL_OPEN_ABOUT=1 "${wine[@]}" "$exe" --simulate &
  program=$!
  id="$(window_id "About Korvel Upgrade Program")"
  sleep 2
  import -window "$id" "$out/korvel-upgrade-native-about.png"
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  "$wineserver" -k 2>/dev/null || true
  echo "Written: $out/korvel-upgrade-native.png $out/korvel-upgrade-native-about.png"
}

case "$verb" in
  test) run_test ;;
  screenshots) take_screenshots ;;
  *)
    sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac

# The peer matrix of the real-kernel rig: programs nobody here wrote (libcdio's cd-info, wodim,
# cdrdao, cdparanoia, eject, blkid, mount, sg_dd) read the sample discs, each served by
# korvel-tcmu as its own loopback target, and korvelfw reads the same discs. Sourced by the peer
# case groups (tools/vm/cases/peers-*.sh), which then call
#
#   peer_group DISC...      the discs of one boot, by the names of scenarios/discs/*.json
#
# The facts each check compares with are written here as literal values (block addresses and
# lengths from make-discs.sh: the tones are 150 blocks, a session gap 11400), not read back
# through the emulator; only the MCN and ISRC come from the built CUE sheets, so that a CATALOG
# or ISRC line added there is expected at once.

peers_discs="$RIG_BUILD/scenarios/discs"
peers_work="$RIG_BUILD/rig/peers"

# The disc table: "key=value" words per disc.
#   rips     TRACK:FILE:FIRST:BLOCKS  audio tracks, as cdparanoia rips them (to the next track or
#                                     the session's lead-out), against blocks of a BIN file
#   datas    START:FILE:BLOCKS        data tracks, 2048-byte blocks read at START against FILE
#   pregaps  TRACK:M:S:F              the INDEX 00 pre-gap cdrdao writes as START in its .toc
#   volume   the ISO volume mount and blkid see (the last session's)
#   msinfo   wodim -msinfo: last session start, next writable address (appendable discs only);
#            "none" where wodim prints nothing (a blank disc: no session to follow)
#   toc1     what cdrdao read-toc reads of a disc of several sessions: the first session only
#   blkid    "fails" where blkid -p cannot probe the disc (see peers-guest.sh)
peer_disc_facts() {
  case "$1" in
    audio-cd)
      echo "cue=audio-cd.cue files=audio-cd.bin leadout=525 sessions=1 mode=CD-DA" \
        "cdtext=Korvel~Sample~Audio" \
        "rips=1:audio-cd.bin:0:225,2:audio-cd.bin:225:150,3:audio-cd.bin:375:150" \
        "pregaps=2:00:01:00"
      ;;
    cd-extra)
      echo "cue=cd-extra.cue files=cd-extra-audio.bin,cd-extra-data.bin leadout=11881" \
        "sessions=2 mode=CD-DA cdtext=Korvel~Sample~Extra volume=KORVEL_EXTRA file=README.TXT" \
        "rips=1:cd-extra-audio.bin:0:150,2:cd-extra-audio.bin:150:150" \
        "datas=11700:cd-extra.user:181 toc1=1:0,2:150,lout:300"
      ;;
    mixed-mode)
      echo "cue=mixed-mode.cue files=mixed-data.bin,mixed-audio.bin,data-cd.iso leadout=485" \
        "sessions=1 mode=CD-DATA volume=KORVEL_SAMPLE file=README.TXT" \
        "rips=2:mixed-audio.bin:0:150 datas=0:data-cd.iso:185 blkid=fails"
      ;;
    blank-cdr)
      echo "blank=yes atip_in=97:26/66 atip_out=79:59/74 msinfo=none"
      ;;
    data-cd)
      echo "files=data-cd.iso leadout=185 sessions=1 mode=CD-DATA volume=KORVEL_SAMPLE" \
        "file=README.TXT datas=0:data-cd.iso:185"
      ;;
    cdrw)
      echo "files=data-cd.iso leadout=185 sessions=1 mode=CD-DATA volume=KORVEL_SAMPLE" \
        "file=README.TXT datas=0:data-cd.iso:185 atip_in=97:27/03 atip_out=74:12/00 erasable=yes"
      ;;
    multisession-cdr)
      echo "cue=multisession.cue files=data-cd.iso,multisession-2.iso leadout=11766 sessions=2" \
        "mode=CD-DATA volume=KORVEL_SESSION2 file=README.TXT" \
        "datas=0:data-cd.iso:185,11585:multisession-2.iso:181" \
        "atip_in=97:24/01 atip_out=79:59/74 msinfo=11585,23166 toc1=1:0,lout:185"
      ;;
    video-cd)
      echo "cue=video-cd.cue files=video-cd.bin leadout=186 sessions=1 mode=CD~DATA~.Mode~2." \
        "volume=KORVEL_VIDEO file=VCD/INFO.VCD datas=0:video-cd.user:186"
      ;;
    *) return 1 ;;
  esac
}

# mode2_user BIN OUT: the 2048 bytes of user data of each raw mode 2 form 1 sector (after the
# 16-byte header and the 8-byte subheader), as a drive gives them to READ(10).
mode2_user() {
  local blocks=$(($(stat -c %s "$1") / 2352)) block
  : >"$2"
  for ((block = 0; block < blocks; block++)); do
    dd if="$1" bs=2352 skip="$block" count=1 2>/dev/null | tail -c +25 | head -c 2048 >>"$2"
  done
}

# peer_fact FACTS KEY: one value of a disc's facts.
peer_fact() {
  local word
  for word in $1; do
    case "$word" in "$2="*) echo "${word#*=}" | tr '~' ' ' ;; esac
  done
}

# peer_group DISC...: sets GUEST_FILES, GUEST_MODULES, RIG_TIMEOUT and guest_script for DISC...
peer_group() {
  peer_group_discs=("$@")
  mkdir -p "$peers_work"
  GUEST_FILES=(
    "$RIG_BUILD/src/tcmu/korvel-tcmu" /usr/bin/cd-info /usr/bin/wodim /usr/bin/cdrdao
    /usr/share/cdrdao/drivers /usr/bin/cdparanoia /usr/bin/eject /sbin/blkid /usr/bin/sg_dd
    /usr/lib/x86_64-linux-gnu/gconv/ISO8859-1.so
  )
  local disc facts item seen=" "
  for disc in "$@"; do
    facts="$(peer_disc_facts "$disc")" || {
      echo "error: no sample disc '$disc' in the peer table" >&2
      return 1
    }
    GUEST_FILES+=("$peers_discs/$disc.json")
    for item in $(peer_fact "$facts" cue) $(peer_fact "$facts" files | tr , ' '); do
      case "$seen" in *" $item "*) continue ;; esac
      seen+="$item "
      GUEST_FILES+=("$peers_discs/$item")
    done
    # What the data tracks and the mounted file must read: made here from the image.
    case "$disc" in
      video-cd) mode2_user "$peers_discs/video-cd.bin" "$peers_work/video-cd.user" ;;
      cd-extra) mode2_user "$peers_discs/cd-extra-data.bin" "$peers_work/cd-extra.user" ;;
    esac
    [ -f "$peers_work/$disc.user" ] && GUEST_FILES+=("$peers_work/$disc.user")
    local file image last
    file="$(peer_fact "$facts" file)"
    if [ -n "$file" ]; then
      # The last session's image, made for the address where it starts.
      last="$(peer_fact "$facts" datas | tr , '\n' | tail -n 1)"
      image="$(echo "$last" | cut -d: -f2)"
      case "$image" in *.user) image="$peers_work/$image" ;; *) image="$peers_discs/$image" ;; esac
      rm -f "$peers_work/$disc.file"
      xorriso -osirrox on -displacement "-${last%%:*}" -indev "$image" -extract "/$file" "$peers_work/$disc.file" \
        >/dev/null 2>&1 || {
        echo "error: xorriso found no /$file in $image" >&2
        return 1
      }
      GUEST_FILES+=("$peers_work/$disc.file")
    fi
  done
  GUEST_MODULES=(uio configfs target_core_mod target_core_user tcm_loop isofs)
  # A disc costs about 40 s of checks under TCG.
  RIG_TIMEOUT=$((120 + 60 * $#))
}

# peer_cue_values CUE: "catalog=MCN" and "isrc=TRACK:CODE,..." from a CUE sheet.
peer_cue_values() {
  [ -n "$1" ] && [ -f "$peers_discs/$1" ] || return 0
  local catalog isrcs
  catalog="$(sed -n 's/^[[:space:]]*CATALOG[[:space:]]\{1,\}\([0-9]\{13\}\).*/\1/p' \
    "$peers_discs/$1" | head -n 1)"
  isrcs="$(awk '$1 == "TRACK" { track = $2 + 0 }
    $1 == "ISRC" { gsub(/"/, "", $2); printf "%s%d:%s", (n++ ? "," : ""), track, $2 }' \
    "$peers_discs/$1")"
  echo "catalog=$catalog isrcs=$isrcs"
}

guest_script() {
  cat "$RIG_ROOT/tools/vm/peers-guest.sh"
  local disc facts target=0 key
  for disc in "${peer_group_discs[@]}"; do
    target=$((target + 1))
    facts="$(peer_disc_facts "$disc") $(peer_cue_values "$(peer_disc_facts "$disc" |
      sed -n 's/.*cue=\([^ ]*\).*/\1/p')")"
    printf 'serve %q %q 0:2 %d || exit 1\n' "$disc" "/rig/files/$disc.json" "$target"
  done
  echo 'peers_attach || exit 1'
  target=0
  for disc in "${peer_group_discs[@]}"; do
    target=$((target + 1))
    facts="$(peer_disc_facts "$disc") $(peer_cue_values "$(peer_disc_facts "$disc" |
      sed -n 's/.*cue=\([^ ]*\).*/\1/p')")"
    printf 'disc=%q target=%d' "$disc" "$target"
    for key in leadout sessions mode cdtext volume file rips datas pregaps blank atip_in \
      atip_out erasable msinfo toc1 blkid catalog isrcs; do
      printf ' %s=%q' "$key" "$(peer_fact "$facts" "$key")"
    done
    printf '\npeer_disc\n'
  done
  echo 'peers_close'
}

# The guest side of the peer matrix (tools/vm/peers-lib.sh puts it before its serve and
# peer_disc lines). Every check is written for what an MMC CD drive of the line honestly
# answers; where a peer's own assumption or the line's specified behaviour makes it differ, the
# check says why.

load_modules scsi_mod uio configfs target_core_mod target_core_user tcm_loop isofs || exit 1
mount -t configfs configfs /sys/kernel/config || exit 1
# cdrdao picks its driver from this table (the drive is in none of it: generic-mmc).
mkdir -p /usr/share/cdrdao /mnt/disc && cp /rig/files/drivers /usr/share/cdrdao/drivers
# cd-info turns CD-TEXT into UTF-8 with iconv, which needs glibc's ISO 8859-1 module.
gconv=/usr/lib/x86_64-linux-gnu/gconv
mkdir -p $gconv && cp /rig/files/ISO8859-1.so $gconv/ && cat >$gconv/gconv-modules <<'MODULES'
alias	ISO8859-1//	ISO-8859-1//
alias	LATIN1//	ISO-8859-1//
module	ISO-8859-1//	INTERNAL	ISO8859-1	1
module	INTERNAL	ISO-8859-1//	ISO8859-1	1
MODULES

peers_attach() {
  load_modules sg cdrom sr_mod || return 1
  host=$(host_of tcm_loopback)
  [ -n "$host" ] || { fail nodes "no tcm_loop host"; return 1; }
}

# starts LIST: "T:START" words from "T START ..." lines, in one line; track "lout" the lead-out.
starts() {
  awk '{ printf "%s%s:%s", (n++ ? " " : ""), $1, $2 } END { print "" }'
}

wodim_starts() {
  awk '/^track:/ { line = $0; sub(/^track: */, "", line); split(line, f, " ")
    print (f[1] == "lout" ? "lout" : f[1] + 0), f[3] + 0 }' "$1" | starts
}

# cdrdao read-toc's table on stderr: "1  AUDIO  0  00:00:00(     0)  ..." and "Leadout ...".
cdrdao_starts() {
  awk '($1 ~ /^[0-9]+$/ || $1 == "Leadout") && /\(/ { line = $0; sub(/^[^(]*\( */, "", line)
    sub(/\).*/, "", line); print ($1 == "Leadout" ? "lout" : $1 + 0), line + 0 }' "$1" | starts
}

cd_info_starts() {
  { cd_info_tracks "$1" | cut -d' ' -f1,2
    awk '$1 == "170:" { sub(/^0+/, "", $3); print "lout", $3 + 0 }' "$1"; } | starts
}

# tur_after NAME SG EXIT REGEX: TEST UNIT READY ends with EXIT and its sense matches REGEX.
tur_after() {
  check "$1" "$3" sg_turs -v "$2"
  [ "$RIG_STATUS" = "$3" ] && expect "$1-sense" "$4"
}

# The facts of one disc are in variables set by the line before the call (peers-lib.sh).
peer_disc() {
  local d="$disc" sg sr ours item track first blocks start image readable
  sg=$(sg_node "$host:0:$target:0")
  sr=$(sr_node "$host:0:$target:0")
  note "$d: target $target, $sg, $sr"
  if [ ! -c "$sg" ] || [ ! -b "$sr" ]; then
    fail "$d-nodes" "the loopback LUN of $d has no sg or sr node"
    return
  fi
  check "$d-serving" 0 kill -0 "$(cat "/tmp/$d.pid")"

  # --- korvelfw first: the starts the peers must agree with.
  if [ "$blank" = yes ]; then
    check "$d-korvelfw-tracks" 1 korvelfw --drive "0:$target" tracks
    expect "$d-korvelfw-blank" 'is blank: it holds no tracks yet'
  else
    check "$d-korvelfw-tracks" 0 korvelfw --drive "0:$target" tracks
  fi
  ours="$(korvelfw_tracks "$RIG_STDOUT" | cut -d' ' -f1,2 | starts)"
  [ -n "$leadout" ] && ours="$ours lout:$leadout"
  note "$d: korvelfw starts: $ours"
  check "$d-korvelfw-disc-info" 0 korvelfw --drive "0:$target" disc-info
  cp "$RIG_OUTPUT" "/tmp/$d.disc-info"
  # The report names the volume of the first session (the kernel mounts the last one's).
  [ -n "$volume" ] && [ "$mode" != CD-DA ] && [ "$sessions" = 1 ] &&
    expect "$d-korvelfw-volume" "^Volume: +\"$volume\"" "/tmp/$d.disc-info"

  # --- libcdio's cd-info: tracks, lead-out, sessions, mode, CD-TEXT, MCN, ISO volume.
  if [ "$blank" = yes ]; then
    # cd-info stops where a blank disc has no TOC to read, as with any drive.
    check "$d-cd-info" 1 cd-info --no-cddb --no-device-info "$sr"
    expect "$d-cd-info-no-toc" "Can't get first track number"
  else
    check "$d-cd-info" 0 cd-info --no-cddb --no-device-info "$sr"
    cp "$RIG_OUTPUT" "/tmp/$d.cd-info"
    expect_equal "$d-cd-info-starts" "$(cd_info_starts "/tmp/$d.cd-info")" "$ours"
    [ -n "$mode" ] && expect "$d-cd-info-mode" "Disc mode is listed as: $mode" "/tmp/$d.cd-info"
    [ -n "$cdtext" ] && expect "$d-cd-info-cd-text" "TITLE: $cdtext" "/tmp/$d.cd-info"
    if [ -n "$catalog" ]; then
      expect "$d-cd-info-mcn" "Media Catalog Number \(MCN\): $catalog" "/tmp/$d.cd-info"
    else
      expect_not "$d-cd-info-no-mcn" "Media Catalog Number \(MCN\): [0-9]" "/tmp/$d.cd-info"
    fi
    for item in $(echo "$isrcs" | tr , ' '); do
      expect "$d-cd-info-isrc-${item%%:*}" "ISRC: ${item#*:}" "/tmp/$d.cd-info"
    done
    [ "$mode" != CD-DA ] && [ -n "$volume" ] && [ "$sessions" = 1 ] &&
      expect "$d-cd-info-volume" "Volume *: $volume" "/tmp/$d.cd-info"
  fi

  # --- wodim: ATIP, TOC, session offsets, capabilities; it wants dev=, and takes the sg node.
  check "$d-wodim-atip" 0 wodim dev="$sg" -atip
  cp "$RIG_OUTPUT" "/tmp/$d.wodim-atip"
  if [ -n "$atip_in" ]; then
    expect "$d-wodim-atip-lead-in" "ATIP start of lead in: +-?[0-9]+ \($atip_in\)"
    expect "$d-wodim-atip-lead-out" "ATIP start of lead out: +[0-9]+ \($atip_out\)"
    if [ "$erasable" = yes ]; then
      expect "$d-wodim-atip-erasable" 'Is erasable'
    else
      expect_not "$d-wodim-atip-not-erasable" 'Is erasable'
    fi
  fi
  if [ "$blank" = yes ]; then
    # A blank disc has no TOC (READ TOC ends 05/24/00): wodim says so and still exits 0.
    check "$d-wodim-toc" 0 wodim dev="$sg" -toc
    expect "$d-wodim-toc-none" 'Cannot read TOC'
  else
    check "$d-wodim-toc" 0 wodim dev="$sg" -toc
    expect_equal "$d-wodim-toc-starts" "$(wodim_starts "$RIG_STDOUT")" "$ours"
  fi
  check "$d-wodim-msinfo" 0 wodim dev="$sg" -msinfo
  # "none": no session to follow, so wodim prints no offsets (a blank disc).
  [ "$msinfo" = none ] && expect_equal "$d-wodim-msinfo-value" "$(cat "$RIG_STDOUT")" ""
  [ -n "$msinfo" ] && [ "$msinfo" != none ] &&
    expect_equal "$d-wodim-msinfo-value" "$(tail -n 1 "$RIG_STDOUT")" "$msinfo"
  check "$d-wodim-prcap" 0 wodim dev="$sg" -prcap
  expect "$d-wodim-prcap-page" 'Drive capabilities, per'

  # --- cdrdao: the disc's state, and its own TOC with pre-gaps, MCN and ISRC.
  check "$d-cdrdao-disk-info" 0 cdrdao disk-info --device "$sg"
  if [ "$blank" = yes ]; then
    expect "$d-cdrdao-disk-info-empty" 'CD-R empty *: yes'
  else
    expect "$d-cdrdao-disk-info-sessions" "Sessions *: $sessions"
    rm -f "/tmp/$d.toc"
    check "$d-cdrdao-read-toc" 0 cdrdao read-toc --device "$sg" "/tmp/$d.toc"
    cp "$RIG_STDERR" "/tmp/$d.cdrdao"
    # read-toc reads one session, the first unless told otherwise.
    item=$ours
    [ -n "$toc1" ] && item=$(echo "$toc1" | tr , ' ')
    expect_equal "$d-cdrdao-starts" "$(cdrdao_starts "/tmp/$d.cdrdao")" "$item"
    for item in $(echo "$pregaps" | tr , ' '); do
      # The .toc gives a pre-gap held in the image as START M:S:F in its track.
      track=${item%%:*}
      awk -v t="$track" '/^TRACK/ { n++ } n == t' "/tmp/$d.toc" >/tmp/peer-track
      expect "$d-cdrdao-pregap-$track" "^START ${item#*:}\$" /tmp/peer-track
    done
    if [ -n "$catalog" ]; then
      expect "$d-cdrdao-mcn" "^CATALOG \"$catalog\"" "/tmp/$d.toc"
    else
      expect_not "$d-cdrdao-no-mcn" '^CATALOG' "/tmp/$d.toc"
    fi
    for item in $(echo "$isrcs" | tr , ' '); do
      track=${item%%:*}
      awk -v t="$track" '/^TRACK/ { n++ } n == t' "/tmp/$d.toc" >/tmp/peer-track
      expect "$d-cdrdao-isrc-$track" "ISRC \"${item#*:}\"" /tmp/peer-track
    done
  fi

  # --- cdparanoia: each audio track ripped through sr, raw little-endian (the BIN's byte
  # order), bit for bit the image's blocks.
  for item in $(echo "$rips" | tr , ' '); do
    IFS=: read -r track image first blocks <<EOF
$item
EOF
    check "$d-cdparanoia-$track" 0 cdparanoia -q -d "$sr" -r "$track" "/tmp/$d-$track.raw"
    dd if="/rig/files/$image" of=/tmp/peer-image.raw bs=2352 skip="$first" count="$blocks" \
      </dev/null 2>/dev/null
    [ "$RIG_STATUS" = 0 ] &&
      check "$d-cdparanoia-$track-exact" 0 cmp "/tmp/$d-$track.raw" /tmp/peer-image.raw
    rm -f "/tmp/$d-$track.raw" /tmp/peer-image.raw
  done

  # --- The data tracks through the block layer (sr, dd) and through sg (sg_dd, READ(10)).
  for item in $(echo "$datas" | tr , ' '); do
    IFS=: read -r start image blocks <<EOF
$item
EOF
    # The page cache reads whole 4 KiB pages, two blocks: a track whose last block shares its
    # page with an unreadable one (a run-out, a pre-gap) cannot give that block through sr, as on
    # any drive. sg_dd reads block by block.
    readable=$blocks
    [ $(((start + blocks - 1) % 2)) = 0 ] && [ $((start + blocks)) -lt "$leadout" ] &&
      readable=$((blocks - 1))
    dd if="$sr" of=/tmp/peer-sr.iso bs=2048 skip="$start" count="$readable" </dev/null 2>/dev/null
    dd if="/rig/files/$image" of=/tmp/peer-image.iso bs=2048 count="$readable" </dev/null 2>/dev/null
    check "$d-dd-$start" 0 cmp /tmp/peer-sr.iso /tmp/peer-image.iso
    check "$d-sg-dd-$start-read" 0 sg_dd if="$sg" of=/tmp/peer-sg.iso bs=2048 skip="$start" \
      count="$blocks"
    [ "$RIG_STATUS" = 0 ] && check "$d-sg-dd-$start" 0 cmp /tmp/peer-sg.iso "/rig/files/$image"
    rm -f /tmp/peer-sr.iso /tmp/peer-sg.iso /tmp/peer-image.iso
  done
  if [ -n "$volume" ]; then
    # blkid and the kernel's iso9660 both look for the last session (CDROMMULTISESSION).
    if [ "$blkid" = fails ]; then
      # libblkid also probes block 256 (a UDF anchor), here in the audio pre-gap, which READ(10)
      # cannot read (05/64/00, as on any drive); it gives up on the read error. mount finds it.
      check "$d-blkid" 2 blkid -p "$sr"
    else
      check "$d-blkid" 0 blkid -p "$sr"
      expect "$d-blkid-iso9660" 'TYPE="iso9660"'
      expect "$d-blkid-label" "LABEL=\"$volume\""
    fi
    check "$d-mount" 0 mount -t iso9660 -o ro "$sr" /mnt/disc
    if [ "$RIG_STATUS" = 0 ]; then
      check "$d-mount-file" 0 cmp "/mnt/disc/$file" "/rig/files/$d.file"
      check "$d-umount" 0 umount /mnt/disc
    fi
  fi

  # --- The tray: eject opens it (no medium, tray open), eject -t closes it (one unit
  # attention for the medium change, then ready).
  check "$d-eject" 0 eject -v "$sr"
  tur_after "$d-eject-tur" "$sg" 2 'Medium not present - tray open'
  check "$d-eject-close" 0 eject -v -t "$sr"
  run_captured sg_turs -v "$sg"
  [ "$RIG_STATUS" = 6 ] && note "$d: after eject -t: $(grep -i 'additional sense' "$RIG_OUTPUT")"
  check "$d-eject-close-tur" 0 sg_turs -v "$sg"
  served "$d-log" "/tmp/$d.log"
}

peers_close() {
  show sh -c "dmesg | grep -E ' sr |sr[0-9]|cdrom|tcmu|ISO' | tail -n 30"
  for name in /tmp/*.log; do
    [ -f "$name" ] || continue
    note "korvel-tcmu $(basename "$name" .log): the commands it refused"
    show sh -c "grep -E '[0-9a-f]{2}/[0-9a-f]{2}/[0-9a-f]{2}' $name | grep -v '00/00/00' |
      cut -c1-70 | sort | uniq -c | sort -rn | head -n 25"
  done
}

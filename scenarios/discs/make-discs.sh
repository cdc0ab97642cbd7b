#!/usr/bin/env bash
# Makes the sample disc images and puts them, with the scenario files that hold them in a drive,
# into one folder:
#
#   make-discs.sh OUT_DIR DISC_SECTORS_TOOL
#
# DISC_SECTORS_TOOL is the build's korvel-disc-sectors (audio tones, raw data sectors); the ISO
# 9660 file systems come from xorriso. Dates are fixed, so every run writes the same bytes. The
# build runs this into build/<preset>/scenarios/discs/ (target korvel_sample_discs).
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 OUT_DIR DISC_SECTORS_TOOL" >&2
  exit 2
fi
out="$1"
sectors="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
command -v xorriso >/dev/null || {
  echo "error: xorriso is needed for the sample discs (apt-get install xorriso)" >&2
  exit 1
}

mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# 2000-01-01 00:00:00 UTC, for every date in the file systems.
export SOURCE_DATE_EPOCH=946684800
# Blocks between a session's lead-out and the first track of the next session: lead-out 6750,
# lead-in 4500, pre-gap 150.
session_gap=11400

# A small file tree for the data tracks.
mkdir -p "$work/root/DOCS"
printf 'Korvel sample disc\r\nA data track made for the emulated drives.\r\n' >"$work/root/README.TXT"
printf 'Track list of the sample discs.\r\n' >"$work/root/DOCS/TRACKS.TXT"
# The folders of a Video CD, which the disc report looks for under the drive's letter.
mkdir -p "$work/video/VCD" "$work/video/CDI" "$work/video/MPEGAV"
printf 'VIDEO_CD' >"$work/video/VCD/INFO.VCD"
printf 'ENTRYVCD' >"$work/video/VCD/ENTRIES.VCD"
printf 'Korvel sample Video CD: no real video in here.\r\n' >"$work/video/MPEGAV/AVSEQ01.DAT"
find "$work/root" "$work/video" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# make_iso OUT VOLUME_ID [START] [TREE]: an ISO 9660 image of TREE (the sample file tree when not
# given); START is the disc address its first block will have (a later session), 0 for the first
# session.
make_iso() {
  xorriso -as mkisofs -quiet -r -J -V "$2" -C "0,${3:-0}" -o "$1" "${4:-$work/root}" 2>/dev/null
}
blocks_of() { echo $(($(stat -c %s "$1") / $2)); }
# tone OUT BLOCKS HERTZ; silence OUT BLOCKS
tone() { "$sectors" tone "$1" --blocks "$2" --hertz "$3"; }
silence() { head -c $(($2 * 2352)) /dev/zero >"$1"; }

# Audio CD with CD-TEXT: three tracks in one file, a one-second pre-gap held in the file before
# track 2 (INDEX 00). Like a pressed disc it carries a catalog number and an ISRC on each track
# (made up: the catalog numbers' check digits fit no real bar code, and country XX is assigned to
# none).
tone "$work/a1" 150 440
silence "$work/gap" 75
tone "$work/a2" 150 554.37
tone "$work/a3" 150 659.26
cat "$work/a1" "$work/gap" "$work/a2" "$work/a3" >"$out/audio-cd.bin"
cat >"$out/audio-cd.cue" <<'CUE'
REM COMMENT "Korvel sample: audio CD with CD-TEXT"
PERFORMER "Korvel Test Ensemble"
TITLE "Korvel Sample Audio"
CATALOG 0999000010011
FILE "audio-cd.bin" BINARY
  TRACK 01 AUDIO
    TITLE "A Above Middle C"
    PERFORMER "Korvel Test Ensemble"
    ISRC XXKVL9900001
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    TITLE "C Sharp"
    PERFORMER "Korvel Test Ensemble"
    ISRC XXKVL9900002
    INDEX 00 00:02:00
    INDEX 01 00:03:00
  TRACK 03 AUDIO
    TITLE "E"
    PERFORMER "Guest Player"
    ISRC XXKVL9900003
    INDEX 01 00:05:00
CUE

# Mode 1 data CD: the ISO 9660 image itself.
make_iso "$out/data-cd.iso" KORVEL_SAMPLE

# Mixed-mode CD: the file system as raw mode 1 sectors in track 1, then an audio track after the
# customary two-second pre-gap that the image does not hold; pressed, with a catalog number and
# the audio track's ISRC.
"$sectors" raw "$out/data-cd.iso" "$out/mixed-data.bin" --mode 1 --start 0
tone "$out/mixed-audio.bin" 150 440
cat >"$out/mixed-mode.cue" <<'CUE'
CATALOG 0999000030013
FILE "mixed-data.bin" BINARY
  TRACK 01 MODE1/2352
    INDEX 01 00:00:00
FILE "mixed-audio.bin" BINARY
  TRACK 02 AUDIO
    PREGAP 00:02:00
    ISRC XXKVL9900031
    INDEX 01 00:00:00
CUE

# CD Extra: two audio tracks in session 1, an XA data track in session 2 whose file system is
# made for the address where the session begins; pressed, with a catalog number and the audio
# tracks' ISRCs.
tone "$work/e1" 150 523.25
tone "$work/e2" 150 392
cat "$work/e1" "$work/e2" >"$out/cd-extra-audio.bin"
extra_start=$(($(blocks_of "$out/cd-extra-audio.bin" 2352) + session_gap))
make_iso "$work/extra.iso" KORVEL_EXTRA "$extra_start"
"$sectors" raw "$work/extra.iso" "$out/cd-extra-data.bin" --mode 2 --start "$extra_start"
cat >"$out/cd-extra.cue" <<'CUE'
TITLE "Korvel Sample Extra"
PERFORMER "Korvel Test Ensemble"
CATALOG 0999000020015
REM SESSION 01
FILE "cd-extra-audio.bin" BINARY
  TRACK 01 AUDIO
    TITLE "High C"
    ISRC XXKVL9900021
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    TITLE "G"
    ISRC XXKVL9900022
    INDEX 01 00:02:00
REM SESSION 02
FILE "cd-extra-data.bin" BINARY
  TRACK 03 MODE2/2352
    INDEX 01 00:00:00
CUE

# Open multi-session CD-R: two data sessions, the second made for its address, and room for more
# (the scenario marks it appendable).
second_start=$(($(blocks_of "$out/data-cd.iso" 2048) + session_gap))
make_iso "$out/multisession-2.iso" KORVEL_SESSION2 "$second_start"
cat >"$out/multisession.cue" <<'CUE'
REM SESSION 01
FILE "data-cd.iso" BINARY
  TRACK 01 MODE1/2048
    INDEX 01 00:00:00
REM SESSION 02
FILE "multisession-2.iso" BINARY
  TRACK 02 MODE1/2048
    INDEX 01 00:00:00
CUE

# Video CD: the Video CD folders as raw mode 2 sectors, so that the sector at block 16 is mode 2.
make_iso "$work/video.iso" KORVEL_VIDEO 0 "$work/video"
"$sectors" raw "$work/video.iso" "$out/video-cd.bin" --mode 2 --start 0
cat >"$out/video-cd.cue" <<'CUE'
FILE "video-cd.bin" BINARY
  TRACK 01 MODE2/2352
    INDEX 01 00:00:00
CUE

cp "$here"/*.json "$out/"

# edc-check.awk: checks the EDC of one raw 2352-byte CD sector, read as decimal bytes (od -An -v
# -tu1), from its own reading of ECMA-130 rather than the emulator's code: a 32-bit CRC of
# x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1, taken least significant bit first from 0, over
# sync, header and user data of a mode 1 sector (bytes 0..2063, EDC at 2064) or over subheader and
# user data of a mode 2 form 1 sector (bytes 16..2071, EDC at 2072), stored least significant
# byte first. Prints "mode 1 EDC ok", "mode 2 form 1 EDC ok" or why not; exits 1 when not ok.
{ for (i = 1; i <= NF; i++) byte[count++] = $i }
function crc_of(first, last,    crc, i, bit) {
  crc = 0
  for (i = first; i <= last; i++) {
    crc = xor(crc, byte[i])
    for (bit = 0; bit < 8; bit++)
      crc = and(crc, 1) ? xor(rshift(crc, 1), 3623976961) : rshift(crc, 1)
  }
  return crc
}
function stored_at(at) {
  return byte[at] + byte[at + 1] * 256 + byte[at + 2] * 65536 + byte[at + 3] * 16777216
}
END {
  if (count != 2352) { print "not a raw sector: " count " bytes"; exit 1 }
  mode = byte[15]
  if (mode == 1) { first = 0; last = 2063; name = "mode 1" }
  else if (mode == 2 && and(byte[18], 32) == 0) { first = 16; last = 2071; name = "mode 2 form 1" }
  else { print "no EDC to check: mode byte " mode; exit 1 }
  want = crc_of(first, last); got = stored_at(last + 1)
  if (want == got) { print name " EDC ok"; exit 0 }
  printf "%s EDC wrong: stored %08x, computed %08x\n", name, got, want; exit 1
}

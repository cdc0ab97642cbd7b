#!/usr/bin/env python3
"""Checks the command log (--log-commands) of a native dialog that opened and ended by itself:
the scan sent only INQUIRY, and the selection of the first drive found sent, to that drive,
TEST UNIT READY, REQUEST SENSE 18 bytes and INQUIRY twice (plus, for the model that keeps its
version in drive memory, one READ DRIVE MEMORY).

    check-start-commands.py COMMANDS.jsonl
"""
import json
import sys

TEST_UNIT_READY, REQUEST_SENSE, INQUIRY = "00", "03", "12"
# The start of the built-in PC sends a few hundred commands; a log far longer is a fault.
MAX_LINES = 100000


def main(arguments):
    if len(arguments) != 1:
        sys.stderr.write("usage: check-start-commands.py COMMANDS.jsonl\n")
        return 2
    try:
        with open(arguments[0]) as log:
            entries = [json.loads(line) for line in log.read().splitlines()[:MAX_LINES] if line]
        commands = [(e["adapter"], e["target"], e["cdb"].split()) for e in entries]
    except (OSError, ValueError, KeyError, AttributeError) as error:
        sys.stderr.write("check-start-commands.py: cannot read the log: %r\n" % (error,))
        return 2
    faults = []
    selection = max((i for i, c in enumerate(commands) if c[2][:1] == [TEST_UNIT_READY]),
                    default=None)
    if selection is None:
        faults.append("no drive was selected (no TEST UNIT READY)")
    else:
        scan, chosen = commands[:selection], commands[selection:]
        if not scan or any(cdb[0] != INQUIRY for _, _, cdb in scan):
            faults.append("the scan sent something other than INQUIRY")
        opcodes = [cdb[0] for _, _, cdb in chosen[:4]]
        if opcodes != [TEST_UNIT_READY, REQUEST_SENSE, INQUIRY, INQUIRY]:
            faults.append("the selection sent %s" % " ".join(opcodes))
        elif chosen[1][2][4] != "12":
            faults.append("REQUEST SENSE asked for %s bytes, not 18" % chosen[1][2][4])
        if len({(a, t) for a, t, _ in chosen}) != 1:
            faults.append("the selection went to more than one address")
        if len(chosen) > 5:
            faults.append("%d commands after the selection began" % len(chosen))
    for fault in faults:
        print("MISMATCH " + fault)
    print("start-up commands: %d sent, %d mismatches" % (len(commands), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

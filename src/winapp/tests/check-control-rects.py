#!/usr/bin/env python3
"""Checks the layout that the running native dialogs report (KORVEL_CONTROL_RECTS) against the
resource script they were made from.

    check-control-rects.py SCRIPT.rc REPORT.txt

Windows lays a template out in the base units of the dialog's font: the average width of its
52 Latin letters (rounded half up) and its character height. A control at x, y with size cx, cy
in dialog units becomes MulDiv(x, baseX, 4), MulDiv(y, baseY, 8), MulDiv(cx, baseX, 4),
MulDiv(cy, baseY, 8) pixels, each rounded half away from zero. This script recomputes every
rectangle from the script and the base units that the report measured from the font, and says
which ones differ. Exit status 0 when all agree, 1 otherwise, 2 for unreadable input.
"""
import re
import sys

KINDS = {"PUSHBUTTON": "Button", "DEFPUSHBUTTON": "Button", "COMBOBOX": "ComboBox",
         "LTEXT": "Static", "RTEXT": "Static", "CTEXT": "Static"}
IDS = {"IDOK": 1, "IDCANCEL": 2}
# Far more lines than a resource script or report of this program has.
MAX_LINES = 10000


def split_arguments(text):
    parts, current, quoted = [], "", False
    for c in text:
        if c == '"':
            quoted = not quoted
        elif c == "," and not quoted:
            parts.append(current.strip())
            current = ""
        else:
            current += c
    parts.append(current.strip())
    return parts


def read_script(path):
    """{template id: (width, height, [(class, id, x, y, cx, cy, styles)])}"""
    dialogs, current, in_body = {}, None, False
    with open(path) as script:
        lines = script.read().splitlines()[:MAX_LINES]
    for line in (raw.strip() for raw in lines):
        header = re.match(r"^(\d+) DIALOGEX 0, 0, (\d+), (\d+)$", line)
        if header:
            current = (int(header.group(2)), int(header.group(3)), [])
            dialogs[int(header.group(1))] = current
            in_body = False
        elif current is not None and line == "BEGIN":
            in_body = True
        elif current is not None and line == "END":
            current, in_body = None, False
        elif in_body and not line.startswith("//"):
            keyword, rest = line.split(None, 1)
            args = split_arguments(rest)
            if keyword == "CONTROL":
                window_class, styles = args[2], args[3]
                numbers = args[1:2] + args[4:8]
            else:
                window_class = KINDS[keyword]
                numbers = args[0:5] if keyword == "COMBOBOX" else args[1:6]
                styles = args[6] if keyword != "COMBOBOX" and len(args) > 6 else ""
            control_id = IDS.get(numbers[0], None)
            if control_id is None:
                control_id = int(numbers[0])
            x, y, cx, cy = (int(n) for n in numbers[1:5])
            current[2].append((window_class, control_id, x, y, cx, cy, styles))
    return dialogs


def read_report(path):
    """{template id: {"base":, "font":, "client":, "controls": [...], "dropped": {index: rect}}}"""
    report, current = {}, None
    with open(path) as source:
        lines = source.read().splitlines()[:MAX_LINES]
    for line in lines:
        words = line.split()
        if not words:
            continue
        if words[0] == "dialog":
            current = {"base": (int(words[3]), int(words[4])),
                       "font": (int(words[6]), int(words[7])),
                       "client": (int(words[9]), int(words[10])), "controls": [], "dropped": {}}
            report[int(words[1])] = current
        elif words[0] == "control" and current is not None:
            current["controls"].append((words[2], int(words[3]),
                                        tuple(int(w) for w in words[4:8])))
        elif words[0] == "dropped" and current is not None:
            current["dropped"][int(words[1])] = tuple(int(w) for w in words[2:6])
    return report


def mul_div(number, numerator, denominator):
    """Windows' MulDiv for the non-negative values of a template: rounded half up."""
    return (number * numerator * 2 + denominator) // (denominator * 2)


def check(dialogs, report):
    faults = []
    for template, (width, height, controls) in sorted(dialogs.items()):
        layout = report.get(template)
        if layout is None:
            faults.append("dialog %d: not in the report" % template)
            continue
        base_x, base_y = layout["font"]
        if layout["base"] != layout["font"]:
            faults.append("dialog %d: MapDialogRect gives base units %s, the font %s"
                          % (template, layout["base"], layout["font"]))
        client = (mul_div(width, base_x, 4), mul_div(height, base_y, 8))
        if layout["client"] != client:
            faults.append("dialog %d: client %s, template %s" % (template, layout["client"],
                                                                  client))
        if len(layout["controls"]) != len(controls):
            faults.append("dialog %d: %d controls, template %d"
                          % (template, len(layout["controls"]), len(controls)))
        for index, (expected, shown) in enumerate(zip(controls, layout["controls"])):
            window_class, control_id, x, y, cx, cy, styles = expected
            shown_class, shown_id, rect = shown
            name = "dialog %d control %d (id %d)" % (template, index, control_id)
            if shown_class.lower() != window_class.lower() or shown_id != control_id:
                faults.append("%s: is %s %d" % (name, shown_class, shown_id))
            wanted = (mul_div(x, base_x, 4), mul_div(y, base_y, 8),
                      mul_div(cx, base_x, 4), mul_div(cy, base_y, 8))
            if "SS_ICON" in styles:
                # An icon control takes the size of its icon; only its place is the template's.
                rect, wanted = rect[:2], wanted[:2]
            elif window_class == "ComboBox":
                # The closed box is as high as its selection field; the template's height is
                # that of the box with its list dropped, which the combo box then trims to fit
                # its fields and whole items (by its own rules, which Wine and Windows do not
                # share). So the dropped box must start where the template says, be as wide,
                # reach below the closed box and stay within the template's height.
                dropped = layout["dropped"].get(index)
                if (dropped is None or dropped[:3] != wanted[:3]
                        or not rect[3] < dropped[3] <= wanted[3]):
                    faults.append("%s: dropped %s, template %s" % (name, dropped, wanted))
                rect, wanted = rect[:3], wanted[:3]
            if rect != wanted:
                faults.append("%s: %s, template %s" % (name, rect, wanted))
    return faults


def main(arguments):
    if len(arguments) != 2:
        sys.stderr.write("usage: check-control-rects.py SCRIPT.rc REPORT.txt\n")
        return 2
    try:
        dialogs = read_script(arguments[0])
        report = read_report(arguments[1])
    except (OSError, ValueError, IndexError, KeyError) as error:
        sys.stderr.write("check-control-rects.py: cannot read the input: %r\n" % (error,))
        return 2
    faults = check(dialogs, report)
    for fault in faults:
        print("MISMATCH " + fault)
    count = sum(len(controls) for _, _, controls in dialogs.values())
    print("control rectangles: %d controls in %d dialogs, %d mismatches"
          % (count, len(dialogs), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

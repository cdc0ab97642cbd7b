#!/usr/bin/env python3
"""korvelfw upgrade on the simulated PC in a terminal that goes away during the flash.

The program runs on a pseudo-terminal of its own, as in a terminal window; once the first WRITE
BUFFER is in its command log the terminal is closed, which sends the program SIGHUP and makes
every later write to it fail with EIO. The flash must go on to the end: exit status 0 and all 64
WRITE BUFFERs in the log.

    closed-terminal.py KORVELFW UPGRADE_FILE COMMAND_LOG
"""
import os
import pty
import select
import sys
import time


def writes(log):
    try:
        with open(log, encoding="utf-8") as lines:
            return lines.read().count('"cdb":"3B ')
    except FileNotFoundError:
        return 0


def main():
    korvelfw, image, log = sys.argv[1:4]
    pid, terminal = pty.fork()
    if pid == 0:
        os.execv(korvelfw, [korvelfw, "--simulate", "--log-commands", log, "upgrade", image,
                            "--drive", "0:2", "--yes"])
    deadline = time.monotonic() + 20
    while writes(log) == 0 and time.monotonic() < deadline:
        # What the program draws is read, so that it never waits on a full terminal.
        ready, _, _ = select.select([terminal], [], [], 0.02)
        if ready:
            try:
                os.read(terminal, 4096)
            except OSError:
                break
    os.close(terminal)
    _, status = os.waitpid(pid, 0)
    sent = writes(log)
    if os.WIFSIGNALED(status):
        print(f"FAIL closed terminal: ended by signal {os.WTERMSIG(status)} after {sent} "
              "WRITE BUFFERs")
        return 1
    if os.WEXITSTATUS(status) != 0 or sent != 64:
        print(f"FAIL closed terminal: exit {os.WEXITSTATUS(status)}, {sent} WRITE BUFFERs")
        return 1
    print("closed-terminal: the flash went on to the end")
    return 0


if __name__ == "__main__":
    sys.exit(main())

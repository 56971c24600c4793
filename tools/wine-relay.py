#!/usr/bin/env python3
"""Runs a command and relays its standard output and error, ending when the
command ends.

Wine's desktop process can end up holding a duplicate of a program's output
pipe (seen with message boxes), so a reader that waits for the pipe to close,
as CTest does, would wait until the whole Wine session ends. The relay hands
the command pipes of its own and stops reading once the command has exited
and what it wrote has been passed on.

    wine-relay.py COMMAND [ARG...]

With WINE_RELAY_RERUN_ON_SIGNAL=1 (tools/wine-run --rerun-on-wine-crash, which
the test suite's emulator uses), a command that Wine itself lets die by a
Unix signal is run once more and the second outcome counts. Wine under load
rarely crashes that way while a process ends (seen about once in a thousand
test programs, after all their tests had passed); a fault of the program
under Wine ends with a Windows exception code instead, and is never rerun.
"""
import os
import select
import signal
import subprocess
import sys


def write_all(fd, data):
    while data:
        try:
            written = os.write(fd, data)
        except OSError:
            return False
        data = data[written:]
    return True


def run_once(command):
    proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def forward(signum, _frame):
        try:
            proc.send_signal(signum)
        except ProcessLookupError:
            pass

    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, forward)

    targets = {proc.stdout.fileno(): 1, proc.stderr.fileno(): 2}
    open_fds = set(targets)
    exited = False
    while open_fds:
        # While the command runs, wait for output; once it has exited, take
        # only what is already written.
        ready, _, _ = select.select(list(open_fds), [], [], 0 if exited else 0.1)
        if not ready:
            if exited:
                break
            exited = proc.poll() is not None
            continue
        for fd in ready:
            data = os.read(fd, 65536)
            if not data:
                open_fds.discard(fd)
            elif not write_all(targets[fd], data):
                open_fds.discard(fd)
        if not exited:
            exited = proc.poll() is not None
    return proc.wait()


def main():
    if len(sys.argv) < 2:
        sys.stderr.write("usage: wine-relay.py COMMAND [ARG...]\n")
        return 2
    command = sys.argv[1:]
    rc = run_once(command)
    if rc < 0:
        sys.stderr.write("wine-relay: Wine ended by signal %d: %s\n" % (-rc, " ".join(command)))
        if os.environ.get("WINE_RELAY_RERUN_ON_SIGNAL") == "1":
            sys.stderr.write("wine-relay: running it once more\n")
            rc = run_once(command)
            if rc < 0:
                sys.stderr.write("wine-relay: Wine ended by signal %d again\n" % -rc)
    return rc if rc >= 0 else 128 - rc


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
'''Runs a program against a private system bus with mock system services on it.

    run_with_mock_bus.py [--services NAME,...] [--no-bus] [--] PROGRAM [ARG...]

  --services logind,upower  the services to start on the bus (left out: none, an empty bus):
             logind   the session manager (org.freedesktop.login1), from mock_logind.py beside
                      this file: its inhibitors can be counted at any moment (ListInhibitors on
                      org.freedesktop.login1.Manager) and its calls listed (GetMethodCalls on
                      org.freedesktop.DBus.Mock); RefuseInhibit(reason) makes Inhibit fail.
             upower   the power daemon (org.freedesktop.UPower), python3-dbusmock's upower
                      template: set its display device with SetupDisplayDevice and OnBattery
                      with org.freedesktop.DBus.Properties.Set.
  --no-bus   no bus at all: DBUS_SYSTEM_BUS_ADDRESS names a socket that does not exist.

PROGRAM runs with DBUS_SYSTEM_BUS_ADDRESS set to the private bus and KORVEL_MOCK_BUS set to the
services started ("" for an empty bus, "none" with --no-bus), so that a test can refuse to run
against the machine's own bus. The exit status is PROGRAM's (128 + N when signal N ended it);
77 when dbus-daemon or python3-dbusmock is missing, for ctest's SKIP_RETURN_CODE.

C++ tests reach the mocks through tests/MockLogind.h and tests/MockUPower.h. A whole-program
test that must see the inhibitor held for exactly a span runs under `--services logind` and
asks MockLogind::HeldInhibitors() at each point it cares about.

In CMake (src/platform/linux/CMakeLists.txt defines it, for every directory added after it):
  korvel_add_mock_bus_test(my_test BUS --services=logind
                           COMMAND $<TARGET_FILE:my_tests> --gtest_filter=...)
Run by hand:
  /usr/bin/python3 src/platform/linux/tests/run_with_mock_bus.py --services=logind,upower -- \
      build/default/src/platform/linux/korvel_linux_bus_tests --gtest_filter='WithServices.*'
'''

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
KNOWN = {'logind': os.path.join(HERE, 'mock_logind.py'), 'upower': 'upower'}


def parse():
    parser = argparse.ArgumentParser(description='Run a program against a mock system bus.')
    parser.add_argument('--services', help='comma-separated: ' + ', '.join(sorted(KNOWN)))
    parser.add_argument('--no-bus', action='store_true', help='no system bus at all')
    parser.add_argument('program', nargs=argparse.REMAINDER)
    args = parser.parse_args()
    if args.program and args.program[0] == '--':
        args.program = args.program[1:]
    if not args.program:
        parser.error('no program given')
    if args.services is not None and not args.services:
        parser.error('--services needs at least one name; leave it out for an empty bus')
    services = args.services.split(',') if args.services else []
    unknown = [name for name in services if name not in KNOWN]
    if unknown:
        parser.error('unknown service ' + ', '.join(repr(name) for name in unknown) +
                     '; known: ' + ', '.join(sorted(KNOWN)))
    if len(set(services)) != len(services):
        parser.error('a service named twice in --services')
    if args.no_bus and services:
        parser.error('--no-bus takes no --services')
    return args, services


def run(program, env):
    status = subprocess.call(program, env=env)
    return 128 - status if status < 0 else status


def main():
    args, services = parse()
    # A test program ends its run through us: stop the bus and the mocks on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    env = dict(os.environ)
    if args.no_bus:
        with tempfile.TemporaryDirectory(prefix='korvel-no-bus-') as folder:
            env['DBUS_SYSTEM_BUS_ADDRESS'] = 'unix:path=' + os.path.join(folder, 'absent')
            env['KORVEL_MOCK_BUS'] = 'none'
            return run(args.program, env)

    if shutil.which('dbus-daemon') is None:
        print('skipped: dbus-daemon is not installed', file=sys.stderr)
        return SKIP
    try:
        import dbus  # noqa: F401 pylint: disable=import-outside-toplevel,unused-import
        from dbusmock import DBusTestCase  # pylint: disable=import-outside-toplevel
    except ImportError as error:
        print(f'skipped: python3-dbusmock cannot be used ({error})', file=sys.stderr)
        return SKIP

    mocks = []
    try:
        DBusTestCase.start_system_bus()
        for name in services:
            mock, _ = DBusTestCase.spawn_server_template(KNOWN[name], {},
                                                         stdout=subprocess.DEVNULL)
            mocks.append(mock)
        env['DBUS_SYSTEM_BUS_ADDRESS'] = os.environ['DBUS_SYSTEM_BUS_ADDRESS']
        env['KORVEL_MOCK_BUS'] = ','.join(services)
        return run(args.program, env)
    finally:
        for mock in mocks:
            mock.terminate()
            mock.wait()
        DBusTestCase.tearDownClass()


if __name__ == '__main__':
    sys.exit(main())

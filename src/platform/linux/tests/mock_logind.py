'''The session manager of a test bus: the stock logind mock, with an Inhibit whose inhibitors
are seen released the moment their last file descriptor closes.

The stock template closes its own copy of the descriptor some time after the reply and learns of
a release from its main loop, so a test asking at once could still see a released inhibitor.
Here the mock keeps no copy once the reply is built, and ListInhibitors looks at each pipe when
asked.

On the org.freedesktop.DBus.Mock interface of /org/freedesktop/login1:
  RefuseInhibit(s reason)  Inhibit fails with org.freedesktop.DBus.Error.AccessDenied and this
                           message from now on; an empty reason grants inhibitors again.
GetCalls and GetMethodCalls('Inhibit') list every Inhibit call, released or not.
'''

import os
import select

import dbus

from dbusmock import MOCK_IFACE
from dbusmock.templates import logind as stock

BUS_NAME = stock.BUS_NAME
MAIN_OBJ = stock.MAIN_OBJ
MAIN_IFACE = stock.MAIN_IFACE
SYSTEM_BUS = True

ListUsers = stock.ListUsers
ListSessions = stock.ListSessions
AddSeat = stock.AddSeat
AddUser = stock.AddUser
AddSession = stock.AddSession


def load(mock, parameters):
    stock.load(mock, parameters)
    mock.korvel_inhibitors = []
    mock.korvel_refusal = ''


def released(reader):
    '''Whether every copy of the pipe's writing end is closed.'''
    poller = select.poll()
    poller.register(reader, select.POLLIN)
    return any(events & (select.POLLHUP | select.POLLERR) for _, events in poller.poll(0))


def held(mock):
    still = []
    for inhibitor in mock.korvel_inhibitors:
        if released(inhibitor[-1]):
            os.close(inhibitor[-1])
        else:
            still.append(inhibitor)
    mock.korvel_inhibitors = still
    return still


@dbus.service.method(MAIN_IFACE, in_signature='ssss', out_signature='h')
def Inhibit(self, what, who, why, mode):
    if self.korvel_refusal:
        raise dbus.exceptions.DBusException(self.korvel_refusal,
                                            name='org.freedesktop.DBus.Error.AccessDenied')
    reader, writer = os.pipe2(os.O_CLOEXEC)
    self.korvel_inhibitors.append((what, who, why, mode, reader))
    try:
        return dbus.types.UnixFd(writer)
    finally:
        os.close(writer)


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='a(ssssuu)')
def ListInhibitors(self):
    return [(what, who, why, mode, dbus.UInt32(0), dbus.UInt32(os.getpid()))
            for what, who, why, mode, _ in held(self)]


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RefuseInhibit(self, reason):
    self.korvel_refusal = reason

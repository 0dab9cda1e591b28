"""A stand-in desktop on a private session bus: the portal's OpenURI.OpenFile and the file
manager's ShowItemProperties, recording every call they receive.

Usage: fake_desktop.py RECORD_FILE [--refuse | --silent]

Connects to the bus named by DBUS_SESSION_BUS_ADDRESS, owns org.freedesktop.portal.Desktop and
org.freedesktop.FileManager1, prints "ready" once both names are owned, and runs until SIGTERM
(or until the bus goes away). Each call becomes one JSON line in RECORD_FILE, written and flushed
before the call is answered, so a caller that has its reply can read its record at once.

--refuse answers every call with an AccessDenied error; --silent records calls and never
answers them, like a hung desktop service.
"""

import argparse
import fcntl
import json
import os
import signal

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PORTAL_NAME = "org.freedesktop.portal.Desktop"
PORTAL_PATH = "/org/freedesktop/portal/desktop"
OPEN_URI_INTERFACE = "org.freedesktop.portal.OpenURI"
FILE_MANAGER_NAME = "org.freedesktop.FileManager1"
FILE_MANAGER_PATH = "/org/freedesktop/FileManager1"
FILE_MANAGER_INTERFACE = "org.freedesktop.FileManager1"


def plain(value):
    """A received D-Bus value as JSON can hold it; anything but a boolean or a string keeps its
    D-Bus type in the text, so that a wrongly typed option cannot pass for the right one."""
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath)):
        return str(value)
    if isinstance(value, dbus.Array):
        return [plain(item) for item in value]
    return f"{type(value).__name__}:{value}"


def access_mode(flags):
    """How the received fd was opened: the portal reads the file through it, refuses O_PATH
    descriptors and treats a writable one as a grant to write."""
    if flags & getattr(os, "O_PATH", 0o10000000):
        return "path"
    return {os.O_RDONLY: "read", os.O_WRONLY: "write", os.O_RDWR: "read-write"}[
        flags & os.O_ACCMODE]


class Recorder:
    def __init__(self, path):
        self._file = open(path, "a", encoding="utf-8")

    def write(self, record):
        # Sorted keys and fixed separators: the tests compare whole lines.
        line = json.dumps(record, sort_keys=True, ensure_ascii=False, separators=(",", ":"))
        self._file.write(line + "\n")
        self._file.flush()


class Responder:
    """How the fake answers a recorded call: normally, with an error, or not at all."""

    def __init__(self, mode):
        self._mode = mode

    def answer(self, reply, error, *values):
        if self._mode == "refuse":
            error(dbus.exceptions.DBusException(
                "Refused by the fake desktop",
                name="org.freedesktop.DBus.Error.AccessDenied"))
        elif self._mode == "normal":
            reply(*values)


class Portal(dbus.service.Object):
    def __init__(self, bus, recorder, responder):
        super().__init__(bus, PORTAL_PATH)
        self._recorder = recorder
        self._responder = responder
        self._requests = 0

    @dbus.service.method(OPEN_URI_INTERFACE, in_signature="sha{sv}", out_signature="o",
                         message_keyword="message", async_callbacks=("reply", "error"))
    def OpenFile(self, parent_window, fd, options, message, reply, error):
        number = fd.take()
        try:
            path = os.readlink(f"/proc/self/fd/{number}")
            access = access_mode(fcntl.fcntl(number, fcntl.F_GETFL))
        finally:
            os.close(number)
        self._recorder.write({
            "method": "OpenFile",
            "signature": str(message.get_signature()),
            "parent_window": str(parent_window),
            "path": path,
            "access": access,
            "options": {str(key): plain(value) for key, value in options.items()},
        })
        self._requests += 1
        handle = dbus.ObjectPath(f"{PORTAL_PATH}/request/fake/{self._requests}")
        self._responder.answer(reply, error, handle)


class FileManager(dbus.service.Object):
    def __init__(self, bus, recorder, responder):
        super().__init__(bus, FILE_MANAGER_PATH)
        self._recorder = recorder
        self._responder = responder

    @dbus.service.method(FILE_MANAGER_INTERFACE, in_signature="ass", out_signature="",
                         message_keyword="message", async_callbacks=("reply", "error"))
    def ShowItemProperties(self, uris, startup_id, message, reply, error):
        self._recorder.write({
            "method": "ShowItemProperties",
            "signature": str(message.get_signature()),
            "uris": [str(uri) for uri in uris],
            "startup_id": str(startup_id),
        })
        self._responder.answer(reply, error)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("record_file")
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--refuse", dest="mode", action="store_const", const="refuse")
    mode.add_argument("--silent", dest="mode", action="store_const", const="silent")
    parser.set_defaults(mode="normal")
    options = parser.parse_args()

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    recorder = Recorder(options.record_file)
    responder = Responder(options.mode)
    # Objects first, names second: a caller that sees a name finds its object already there.
    objects = [Portal(bus, recorder, responder), FileManager(bus, recorder, responder)]
    names = [dbus.service.BusName(name, bus, do_not_queue=True)
             for name in (PORTAL_NAME, FILE_MANAGER_NAME)]

    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    print("ready", flush=True)
    loop.run()
    # Leave without tearing down `objects` and `names`: the bus drops our names with the
    # connection, while releasing them one by one would block on a bus that may already be gone.
    # Every record is flushed already.
    os._exit(0)


if __name__ == "__main__":
    main()

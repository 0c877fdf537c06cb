#!/usr/bin/python3
"""A stand-in for logind on the private bus DBUS_SYSTEM_BUS_ADDRESS: owns org.freedesktop.login1, says
"ready", and at each line on standard input announces the end of a suspend (PrepareForSleep false) once a
client besides itself is on the bus, then says "resumed". Ends with its input, or after 60 s."""
import os
import signal
import sys

from gi.repository import Gio, GLib

signal.alarm(60)
bus = Gio.DBusConnection.new_for_address_sync(
    os.environ["DBUS_SYSTEM_BUS_ADDRESS"],
    Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)


def daemon(method, signature=None, args=None):
    return bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
                         GLib.Variant(signature, args) if signature else None, None, Gio.DBusCallFlags.NONE,
                         5000, None).unpack()


def client_on_bus():
    return len([name for name in daemon("ListNames")[0] if name.startswith(":")]) >= 2


def await_client():
    """Until a second connection is on the bus, told by the bus's NameOwnerChanged."""
    loop = GLib.MainLoop()
    bus.signal_subscribe("org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged", "/org/freedesktop/DBus",
                         None, Gio.DBusSignalFlags.NONE, lambda *_: client_on_bus() and loop.quit())
    if not client_on_bus():
        loop.run()


daemon("RequestName", "(su)", ("org.freedesktop.login1", 4))
print("ready", flush=True)
for _ in sys.stdin:
    await_client()
    bus.emit_signal(None, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
                    GLib.Variant("(b)", (False,)))
    bus.flush_sync(None)
    print("resumed", flush=True)

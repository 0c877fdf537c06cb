#!/usr/bin/python3
"""A stand-in for logind on the private bus DBUS_SYSTEM_BUS_ADDRESS: owns org.freedesktop.login1, says
"ready", and at each line on standard input announces the end of a suspend (PrepareForSleep false) once a
client besides itself is on the bus, then says "resumed". Ends with its input, or after 60 s."""
import os
import select
import sys
import time

from gi.repository import Gio, GLib

bus = Gio.DBusConnection.new_for_address_sync(
    os.environ["DBUS_SYSTEM_BUS_ADDRESS"],
    Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)


def daemon(method, signature=None, args=None):
    return bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
                         GLib.Variant(signature, args) if signature else None, None, Gio.DBusCallFlags.NONE,
                         5000, None).unpack()


daemon("RequestName", "(su)", ("org.freedesktop.login1", 4))
print("ready", flush=True)
end = time.monotonic() + 60
while time.monotonic() < end:
    if not select.select([sys.stdin], [], [], 1)[0]:
        continue
    if not sys.stdin.readline():
        break
    for _ in range(100):
        if len([name for name in daemon("ListNames")[0] if name.startswith(":")]) >= 2:
            break
        time.sleep(0.05)
    bus.emit_signal(None, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
                    GLib.Variant("(b)", (False,)))
    bus.flush_sync(None)
    print("resumed", flush=True)

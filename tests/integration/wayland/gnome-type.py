#!/usr/bin/python3
"""Types its one argument (a-z, 0-9, space, newline, escape) on a GNOME Shell seat through the
shell's remote-desktop interface on the session bus: GNOME offers no virtual keyboard to
Wayland clients."""
import sys
import time

import dbus

ROWS = {"1234567890": 2, "qwertyuiop": 16, "asdfghjkl": 30, "zxcvbnm": 44}


def keycode(c):
    for row, first in ROWS.items():
        if c in row:
            return first + row.index(c)
    return {" ": 57, "\n": 28, "\x1b": 1}.get(c)


def main():
    if len(sys.argv) != 2 or any(keycode(c) is None for c in sys.argv[1]):
        print("usage: gnome-type.py TEXT (a-z, 0-9, space, newline, escape)", file=sys.stderr)
        return 2
    bus = dbus.SessionBus()
    name = "org.gnome.Mutter.RemoteDesktop"
    desktop = dbus.Interface(bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop"), name)
    session = dbus.Interface(bus.get_object(name, desktop.CreateSession()), name + ".Session")
    session.Start()
    # The first key of a new session only brings its keyboard in and is lost: a shift
    # goes first.
    for pressed in (True, False):
        session.NotifyKeyboardKeycode(dbus.UInt32(42), pressed)
    time.sleep(0.1)
    for c in sys.argv[1]:
        for pressed in (True, False):
            session.NotifyKeyboardKeycode(dbus.UInt32(keycode(c)), pressed)
        time.sleep(0.03)
    # The session ends with this client: let the shell deliver the keys first.
    time.sleep(0.2)
    session.Stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())

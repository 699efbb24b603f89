#!/usr/bin/python3
"""A notification service of the test's own on the session bus: records each
Notify call as a JSON line in the file given, and invokes a notice's "open"
action after a delay (NOTICE_ACTION_DELAY seconds, so that the run that sent
it has ended by then), else closes it. Prints "ready" once it owns the name."""
import json
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

INTERFACE = "org.freedesktop.Notifications"


class Server(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.record = record
        self.last = 0
        self.delay_ms = int(float(os.environ.get("NOTICE_ACTION_DELAY", "2")) * 1000)

    @dbus.service.method(INTERFACE, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(INTERFACE, out_signature="ssss")
    def GetServerInformation(self):
        return ("test-notices", "rizarode-tests", "1", "1.2")

    @dbus.service.method(INTERFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.last += 1
        nid = self.last
        with open(self.record, "a", encoding="utf-8") as f:
            f.write(json.dumps({"id": nid, "app": str(app), "summary": str(summary),
                                "body": str(body), "actions": [str(a) for a in actions]},
                               ensure_ascii=False) + "\n")
        if "open" in actions[0::2]:
            GLib.timeout_add(self.delay_ms, self.invoke, nid)
        else:
            GLib.timeout_add(200, self.close, nid)
        return nid

    @dbus.service.method(INTERFACE, in_signature="u")
    def CloseNotification(self, nid):
        self.NotificationClosed(nid, 3)

    def invoke(self, nid):
        self.ActionInvoked(nid, "open")
        self.NotificationClosed(nid, 2)
        return False

    def close(self, nid):
        self.NotificationClosed(nid, 1)
        return False

    @dbus.service.signal(INTERFACE, signature="us")
    def ActionInvoked(self, nid, key):
        pass

    @dbus.service.signal(INTERFACE, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName(INTERFACE, bus)
server = Server(bus, sys.argv[1])
print("ready", flush=True)
GLib.MainLoop().run()

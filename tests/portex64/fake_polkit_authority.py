#!/usr/bin/python3
"""A polkit authority for tests, where no session manager or real polkit runs.

Owns org.freedesktop.PolicyKit1 on a bus (a private one it starts with --bus-config, or
the one DBUS_SYSTEM_BUS_ADDRESS names) and answers CheckAuthorization from the actions'
<defaults> in the given policy files. Who sits where is given on the command line:

  --session=UID:active|inactive:yes|no|none|silent   (repeatable)

A user without --session has no local session (allow_any applies); an active one gets
allow_active, an inactive one allow_inactive. The last word is the session's
authentication agent, asked for auth_self*/auth_admin* with AllowUserInteraction: yes
(the password is entered), no (dismissed), none (no agent), silent (never answers).
Without the interaction flag those give "not authorized" with is_challenge set.

As polkit does, a unix-process subject must name a live process by pid (u), start-time
(t, field 22 of /proc/PID/stat) and uid (i, its effective user). Every call is logged
as one JSON line to --log. Once the name is owned, prints
DBUS_SYSTEM_BUS_ADDRESS=<address> on standard output.
"""
import argparse
import ctypes
import json
import os
import signal
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.PolicyKit1"
PATH = "/org/freedesktop/PolicyKit1/Authority"
INTERFACE = "org.freedesktop.PolicyKit1.Authority"
FAILED = "org.freedesktop.PolicyKit1.Error.Failed"
ALLOW_USER_INTERACTION = 1


def read_defaults(paths):
    """{action id: {allow_any, allow_inactive, allow_active}} from files or folders."""
    actions = {}
    for path in paths:
        files = [path]
        if os.path.isdir(path):
            files = [os.path.join(path, name) for name in sorted(os.listdir(path))
                     if name.endswith(".policy")]
        for name in files:
            for action in ElementTree.parse(name).getroot().iter("action"):
                defaults = action.find("defaults")
                actions[action.get("id")] = {
                    key: ((defaults.findtext(key) if defaults is not None else None) or "no").strip()
                    for key in ("allow_any", "allow_inactive", "allow_active")}
    return actions


def process(pid):
    """(start time, effective uid) of a live process; raises when it is gone."""
    with open(f"/proc/{pid}/stat") as stat_file:
        stat = stat_file.read()
    start_time = int(stat[stat.rindex(")") + 2:].split()[19])
    with open(f"/proc/{pid}/status") as status_file:
        for line in status_file:
            if line.startswith("Uid:"):
                return start_time, int(line.split()[2])
    raise OSError("no Uid line")


def failure(text):
    return dbus.exceptions.DBusException(text, name=FAILED)


class Authority(dbus.service.Object):
    def __init__(self, bus, actions, sessions, log):
        super().__init__(bus, PATH)
        self.actions = actions
        self.sessions = sessions
        self.log = log
        self.waiting = []  # calls a silent agent never answers

    def decide(self, subject, action_id, flags):
        kind, details = subject
        if kind != "unix-process":
            raise failure(f"unsupported subject kind {kind}")
        types = {"pid": dbus.UInt32, "start-time": dbus.UInt64, "uid": dbus.Int32}
        for key, kind_of in types.items():
            if not isinstance(details.get(key), kind_of):
                raise failure(f"subject key {key} missing or not {kind_of.__name__}")
        pid, start_time, uid = (int(details[key]) for key in types)
        try:
            real_start, real_uid = process(pid)
        except (OSError, ValueError, IndexError):
            raise failure(f"process {pid} does not exist")
        if real_start != start_time or real_uid != uid:
            raise failure(f"process {pid} is not the subject (start time or user differ)")
        if action_id not in self.actions:
            raise failure(f"action {action_id} is not registered")
        state, agent = self.sessions.get(uid, (None, "none"))
        implicit = self.actions[action_id]["allow_" + (state or "any")]
        if implicit == "yes":
            return "authorized"
        if implicit == "no":
            return "not authorized"
        if not flags & ALLOW_USER_INTERACTION:
            return "challenge"
        return {"yes": "authorized", "silent": "waiting"}.get(agent, "not authorized")

    @dbus.service.method(INTERFACE, in_signature="(sa{sv})sa{ss}us",
                         out_signature="(bba{ss})", async_callbacks=("reply", "error"))
    def CheckAuthorization(self, subject, action_id, details, flags, cancellation_id,
                           reply, error):
        entry = {"action": str(action_id), "pid": int(subject[1].get("pid", 0)),
                 "uid": int(subject[1].get("uid", -1)), "flags": int(flags)}
        try:
            entry["result"] = self.decide(subject, str(action_id), int(flags))
        except dbus.exceptions.DBusException as refusal:
            entry["result"] = "error: " + refusal.get_dbus_message()
            error(refusal)
        self.log.write(json.dumps(entry) + "\n")
        self.log.flush()
        result = entry["result"]
        if result == "waiting":
            self.waiting.append(reply)
        elif not result.startswith("error"):
            reply(dbus.Struct((result == "authorized", result == "challenge",
                               dbus.Dictionary({}, signature="ss")), signature="bba{ss}"))


def start_bus(config):
    """A dbus-daemon that ends with this process; its address."""
    def end_with_parent():
        ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    daemon = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork",
                               "--print-address=1"], stdout=subprocess.PIPE,
                              preexec_fn=end_with_parent)
    return daemon, daemon.stdout.readline().decode().strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--policy", action="append", required=True,
                        help="a .policy file or a folder of them (repeatable)")
    parser.add_argument("--session", action="append", default=[],
                        help="UID:active|inactive:yes|no|none|silent (repeatable)")
    parser.add_argument("--log", required=True, help="one JSON line per call")
    parser.add_argument("--bus-config", help="start a private dbus-daemon with this config")
    options = parser.parse_args()

    sessions = {}
    for text in options.session:
        uid, state, agent = text.split(":")
        if state not in ("active", "inactive") or agent not in ("yes", "no", "none", "silent"):
            parser.error("bad --session " + text)
        sessions[int(uid)] = (state, agent)

    daemon = None
    address = os.environ.get("DBUS_SYSTEM_BUS_ADDRESS",
                             "unix:path=/run/dbus/system_bus_socket")
    if options.bus_config:
        daemon, address = start_bus(options.bus_config)
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    with open(options.log, "a") as log:
        authority = Authority(bus, read_defaults(options.policy), sessions, log)
        if bus.request_name(NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != \
                dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
            sys.exit(f"cannot own {NAME}")
        print("DBUS_SYSTEM_BUS_ADDRESS=" + address, flush=True)
        loop = GLib.MainLoop()
        for number in (signal.SIGTERM, signal.SIGINT):
            GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, number, loop.quit)
        loop.run()
        del authority
    if daemon:
        daemon.terminate()
        daemon.wait()


if __name__ == "__main__":
    main()

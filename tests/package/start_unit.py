#!/usr/bin/python3
"""Starts or stops an installed system service the way the service manager would, on a
machine whose init is not systemd (containers, CI sandboxes): the unit's own command
line, group, runtime folder, umask, capability bounding set and no-new-privileges, and
its readiness message on a notification socket for Type=notify.

  start_unit.py start UNIT_FILE STATE_DIR [NAME=VALUE ...]
  start_unit.py stop UNIT_FILE STATE_DIR

STATE_DIR keeps the main process's id. Exit status 0 once the service is ready (or has
ended, for stop); 1 with a message otherwise."""
import grp
import os
import shlex
import signal
import socket
import sys
import time

READY_BOUND_S = 30
STOP_BOUND_S = 30


def service_section(path):
    settings = {}
    section = None
    with open(path, encoding="utf-8") as unit:
        for raw in unit:
            line = raw.strip()
            if not line or line[0] in "#;":
                continue
            if line.startswith("["):
                section = line
                continue
            if section == "[Service]" and "=" in line:
                key, value = line.split("=", 1)
                settings.setdefault(key.strip(), []).append(value.strip())
    return settings


def last(settings, key, default=None):
    values = settings.get(key)
    return values[-1] if values else default


def capabilities(settings):
    names = " ".join(settings.get("CapabilityBoundingSet", [])).split()
    if not names:
        return None
    return "-all," + ",".join("+" + n.lower().removeprefix("cap_") for n in names)


def start(unit_path, state, extra_env):
    settings = service_section(unit_path)
    command = shlex.split(last(settings, "ExecStart"))
    command[0] = command[0].lstrip("-@:+!")
    group = last(settings, "Group")
    gid = grp.getgrnam(group).gr_gid if group else 0
    runtime = last(settings, "RuntimeDirectory")
    if runtime:
        folder = os.path.join("/run", runtime)
        os.makedirs(folder, exist_ok=True)
        os.chown(folder, 0, gid)
        os.chmod(folder, int(last(settings, "RuntimeDirectoryMode", "0755"), 8))
    os.makedirs(state, exist_ok=True)
    notify_path = os.path.join(state, "notify.sock")
    if os.path.exists(notify_path):
        os.unlink(notify_path)
    notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    notify.bind(notify_path)

    wrapper = ["setpriv", "--regid=%d" % gid, "--groups=%d" % gid]
    bounding = capabilities(settings)
    if bounding:
        wrapper.append("--bounding-set=" + bounding)
    if last(settings, "NoNewPrivileges") == "yes":
        wrapper.append("--no-new-privs")
    environment = {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "NOTIFY_SOCKET": notify_path}
    environment.update(dict(pair.split("=", 1) for pair in extra_env))
    umask = int(last(settings, "UMask", "0022"), 8)

    def child():
        os.setsid()
        os.umask(umask)

    pid = os.fork()
    if pid == 0:
        child()
        devnull = os.open("/dev/null", os.O_RDONLY)
        os.dup2(devnull, 0)
        log = os.open(os.path.join(state, "service.log"), os.O_WRONLY | os.O_CREAT | os.O_APPEND)
        os.dup2(log, 1)
        os.dup2(log, 2)
        os.execvpe(wrapper[0], wrapper + ["--"] + command, environment)
    with open(os.path.join(state, "main.pid"), "w", encoding="ascii") as pid_file:
        pid_file.write("%d\n" % pid)
    if last(settings, "Type", "simple") != "notify":
        return 0
    notify.settimeout(1)
    deadline = time.monotonic() + READY_BOUND_S
    while time.monotonic() < deadline:
        ended, _ = os.waitpid(pid, os.WNOHANG)
        if ended:
            print("start_unit: the service ended before it was ready", file=sys.stderr)
            return 1
        try:
            message = notify.recv(4096).decode("utf-8", "replace")
        except socket.timeout:
            continue
        if "READY=1" in message.split("\n"):
            print("active: %s (pid %d)" % (os.path.basename(unit_path), pid))
            return 0
    print("start_unit: no readiness message within %d s" % READY_BOUND_S, file=sys.stderr)
    return 1


def stop(unit_path, state):
    settings = service_section(unit_path)
    pid_path = os.path.join(state, "main.pid")
    with open(pid_path, encoding="ascii") as pid_file:
        pid = int(pid_file.read())
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    deadline = time.monotonic() + STOP_BOUND_S
    while time.monotonic() < deadline and os.path.exists("/proc/%d" % pid):
        # A zombie of ours is reaped; one of another parent is gone once it leaves /proc.
        try:
            if os.waitpid(pid, os.WNOHANG)[0]:
                break
        except ChildProcessError:
            pass
        with open("/proc/%d/stat" % pid, encoding="ascii", errors="replace") as stat:
            if stat.read().rsplit(")", 1)[1].split()[0] == "Z":
                break
        time.sleep(0.1)
    else:
        if os.path.exists("/proc/%d" % pid):
            print("start_unit: the service did not end within %d s" % STOP_BOUND_S, file=sys.stderr)
            return 1
    runtime = last(settings, "RuntimeDirectory")
    if runtime:
        folder = os.path.join("/run", runtime)
        for name in os.listdir(folder) if os.path.isdir(folder) else []:
            os.unlink(os.path.join(folder, name))
        if os.path.isdir(folder):
            os.rmdir(folder)
    os.unlink(pid_path)
    return 0


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("start", "stop"):
        print(__doc__, file=sys.stderr)
        return 2
    if sys.argv[1] == "start":
        return start(sys.argv[2], sys.argv[3], sys.argv[4:])
    return stop(sys.argv[2], sys.argv[3])


if __name__ == "__main__":
    sys.exit(main())

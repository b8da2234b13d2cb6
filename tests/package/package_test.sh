#!/usr/bin/env bash
# Installs the Debian package for real on this machine and uses it as its users would:
# the helper service runs; a member of the group "pacetta" and, through polkit, the user
# of the active local session read the processors with `pacetta --cpu-report`, while an
# inactive or remote session's user gets no register access; the installed program runs
# from its menu entry; then removal and purge leave nothing of the package but the users'
# settings. Needs root and a machine where installing packages is allowed (CI).
#
#   tests/package/package_test.sh DEB
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
deb="$(realpath "$1")"
work="$(mktemp -d /tmp/pacetta-package-test.XXXXXX)"
unit=/lib/systemd/system/portex64.service
member=pacetta-member
desk=pacetta-desk
remote=pacetta-remote

fail() { echo "package test: $*" >&2; exit 1; }
step() { echo "-- $*"; }
as_user() { local user="$1"; shift; runuser -u "$user" -- env -i HOME="/home/$user" \
  PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

cleanup() {
  set +e
  [ -n "${bus_pid:-}" ] && kill "$bus_pid" "${authority_pid:-}" 2>/dev/null
  if [ -f "$work/service/main.pid" ]; then "$here/start_unit.py" stop "$unit" "$work/service"; fi
  [ -x /etc/init.d/portex64 ] && ! systemd_runs && service portex64 stop >/dev/null 2>&1
  dpkg -s pacetta >/dev/null 2>&1 && apt-get purge -y -qq pacetta >/dev/null 2>&1
  restore_service_policy
  for user in "$member" "$desk" "$remote"; do
    pkill -KILL -u "$user" 2>/dev/null
    userdel -r "$user" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

systemd_runs() { [ -d /run/systemd/system ]; }

# A container's policy-rc.d usually forbids starting services from maintainer scripts;
# for this test the machine behaves as an ordinary host without systemd, whose init
# scripts start at installation and stop at removal. The administrator's file returns.
policy=/usr/sbin/policy-rc.d
allow_services() {
  systemd_runs && return 0
  if [ -e "$policy" ]; then cp -p "$policy" "$work/policy-rc.d.saved"; fi
  printf '#!/bin/sh\nexit 0\n' >"$policy"
  chmod 755 "$policy"
  services_allowed=1
}
restore_service_policy() {
  [ -n "${services_allowed:-}" ] || return 0
  if [ -e "$work/policy-rc.d.saved" ]; then cp -p "$work/policy-rc.d.saved" "$policy"; else rm -f "$policy"; fi
  services_allowed=
}
service_ctl() {  # start | stop | status
  if systemd_runs; then
    if [ "$1" = status ]; then systemctl is-active --quiet portex64.service; else systemctl "$1" portex64.service; fi
  else
    service portex64 "$1" >/dev/null
  fi
}

step "install $deb"
dpkg -s pacetta >/dev/null 2>&1 && fail "pacetta is installed already; this test installs and purges it"
allow_services
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "apt-get install failed"; }
dpkg -L pacetta | sort >"$work/files"
for file in /usr/bin/pacetta /usr/lib/pacetta/Portex64 /usr/lib/pacetta/PacettaHLT \
  /usr/lib/pacetta/Vireon.so /usr/lib/pacetta/Tollund.so /usr/lib/pacetta/Pacetta1031.so \
  "$unit" /usr/lib/sysusers.d/pacetta.conf /usr/lib/modules-load.d/pacetta-msr.conf \
  /usr/share/polkit-1/actions/com.norvane.pacetta.policy /usr/share/applications/pacetta.desktop \
  /usr/share/metainfo/com.norvane.pacetta.metainfo.xml /usr/share/icons/hicolor/scalable/apps/pacetta.svg \
  /usr/share/icons/hicolor/48x48/apps/pacetta.png /usr/share/man/man1/pacetta.1.gz \
  /usr/share/doc/pacetta/copyright; do
  grep -qx "$file" "$work/files" || fail "the package does not install $file"
done
getent group pacetta >/dev/null || fail "installing made no group pacetta"
[ -L /etc/systemd/system/multi-user.target.wants/portex64.service ] ||
  fail "installing did not enable portex64.service"
desktop-file-validate /usr/share/applications/pacetta.desktop
appstreamcli validate --no-net /usr/share/metainfo/com.norvane.pacetta.metainfo.xml
man -l /usr/share/man/man1/pacetta.1.gz 2>&1 | grep -q -- "--cpu-report" ||
  fail "the manual page does not describe --cpu-report"

step "installing started the helper service"
service_ctl status || fail "the helper service is not running after install"
[ -S /run/pacetta/Portex64.sock ] || fail "the service's socket is missing"
if ! systemd_runs; then
  systemd-analyze verify "$unit" >"$work/verify.log" 2>&1 || { cat "$work/verify.log"; fail "systemd-analyze verify refuses the unit"; }
fi

for user in "$member" "$desk" "$remote"; do  # left by an interrupted run
  if id "$user" >/dev/null 2>&1; then pkill -KILL -u "$user" || true; userdel -r "$user" 2>/dev/null || true; fi
done
useradd -m -G pacetta "$member"
useradd -m "$desk"
useradd -m "$remote"

step "a member of the group reads the processors"
as_user "$member" pacetta --cpu-report >"$work/member.json" 2>"$work/member.err" ||
  { cat "$work/member.err"; fail "pacetta --cpu-report failed for a member"; }
grep -q '"readings"' "$work/member.json" ||
  { cat "$work/member.err"; fail "a member's report has no register readings"; }

step "a user outside the group, without polkit, gets no register access"
as_user "$desk" pacetta --cpu-report >"$work/outsider.json" 2>/dev/null || true
grep -q '"vendor"' "$work/outsider.json" || fail "an outsider's report is empty"
grep -q '"readings"' "$work/outsider.json" && fail "an outsider read registers without polkit"

step "polkit: the active local session's user reads without a password, a remote one does not"
# A private system bus with a stand-in authority that treats $desk as the user of the
# active local session and everyone else as inactive or remote, by the installed policy.
source "$here/polkit_session.sh"
start_polkit_session "$work" "$(id -u "$desk")"
# The unit's own command line, group, folder and limits on that bus, started as the
# service manager would start it.
service_ctl stop
"$here/start_unit.py" start "$unit" "$work/service" "DBUS_SYSTEM_BUS_ADDRESS=$bus_address"
as_user "$desk" pacetta --cpu-report >"$work/desk.json" 2>"$work/desk.err" ||
  { cat "$work/desk.err"; fail "pacetta --cpu-report failed for the active session's user"; }
grep -q '"readings"' "$work/desk.json" ||
  { cat "$work/desk.err" "$work/service/service.log"; fail "polkit gave the active session's user no register access"; }
as_user "$remote" pacetta --cpu-report >"$work/remote.json" 2>/dev/null || true
grep -q '"readings"' "$work/remote.json" && fail "a remote session's user read registers"
polkit_calls_for "$(id -u "$desk")" | grep -q 'com.norvane.pacetta.read-sensors' ||
  fail "the helper did not ask polkit about the active session's user"
as_user "$member" pacetta --cpu-report >"$work/member-polkit.json" 2>/dev/null || true
grep -q '"readings"' "$work/member-polkit.json" || fail "a member lost access under polkit"
polkit_calls_for "$(id -u "$member")" | grep -q . && fail "the helper asked polkit about a member"
"$here/start_unit.py" stop "$unit" "$work/service"
service_ctl start

step "the installed program starts from its menu entry on a desktop"
# A display with a tray host and a session bus, all the member's, and the menu entry's
# command line as the desktop would run it, on this machine's processors.
display_log="/home/$member/xvfb.out"
as_user "$member" sh -c "Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >$display_log 2>/dev/null &"
for _ in $(seq 300); do [ -s "$display_log" ] && break; sleep 0.1; done
display=":$(head -n 1 "$display_log")"
[ "$display" != ":" ] || fail "Xvfb did not start"
desktop_env=(DISPLAY="$display")
bus_line="$(as_user "$member" sh -c 'dbus-daemon --session --fork --print-address=1 --print-pid=1')"
desktop_env+=(DBUS_SESSION_BUS_ADDRESS="$(echo "$bus_line" | head -n 1)")
session_bus_pid="$(echo "$bus_line" | sed -n 2p)"
as_user "$member" "${desktop_env[@]}" sh -c 'trayer --edge top --align right --widthtype request \
  --height 24 --SetDockType true --transparent false >/dev/null 2>&1 &'
docked() {
  as_user "$member" "${desktop_env[@]}" xwininfo -root -tree 2>/dev/null |
    awk '/\("panel" "trayer"\)/ {inside = 1; next} inside && /\("pacetta" / {n++} END {print n + 0}'
}
exec_line="$(sed -n 's/^Exec=//p' /usr/share/applications/pacetta.desktop)"
as_user "$member" "${desktop_env[@]}" sh -c "$exec_line >/home/$member/run.log 2>&1 &"
for _ in $(seq 600); do [ "$(docked)" -gt 0 ] && break; sleep 0.1; done
[ "$(docked)" -gt 0 ] || { cat "/home/$member/run.log"; fail "the program put no icon in the tray"; }
as_user "$member" "${desktop_env[@]}" pacetta -exit
for _ in $(seq 300); do pgrep -u "$member" -x pacetta >/dev/null || break; sleep 0.1; done
pgrep -u "$member" -x pacetta >/dev/null && fail "the program did not end on -exit"
settings="/home/$member/.config/pacetta/settings.json"
[ -f "$settings" ] || fail "the program stored no settings"
pkill -u "$member" trayer || true
kill "$session_bus_pid" 2>/dev/null || true
pkill -u "$member" Xvfb || true

step "remove and purge"
apt-get remove -y -qq pacetta >/dev/null
[ -e /usr/bin/pacetta ] && fail "removing left the program"
pgrep -f "^/usr/lib/pacetta/Portex64" >/dev/null && fail "removing left the helper running"
[ -e /run/pacetta ] && fail "removing left the service's folder"
apt-get purge -y -qq pacetta >/dev/null
while read -r file; do
  [ -d "$file" ] && continue
  [ -e "$file" ] || [ -L "$file" ] && fail "purging left $file"
done <"$work/files"
[ -e /usr/lib/pacetta ] && fail "purging left /usr/lib/pacetta"
[ -e /etc/systemd/system/multi-user.target.wants/portex64.service ] && fail "purging left the service enabled"
ls /var/lib/systemd/deb-systemd-helper-enabled/ 2>/dev/null | grep -q portex64 &&
  fail "purging left the service's enablement record"
getent group pacetta >/dev/null && fail "purging left the group pacetta"
ls /etc/rc?.d/ 2>/dev/null | grep -q portex64 && fail "purging left the init script's links"
[ -e /run/pacetta ] && fail "the service's folder outlived the service"
[ -f "$settings" ] || fail "purging took the user's settings"
echo "package test: passed"

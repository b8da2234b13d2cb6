# Sourced by package_test.sh: a private system bus whose polkit authority is the tests'
# stand-in, deciding by the installed actions file with UID as the user of the active
# local session (whose agent would enter the administrator's password) and every other
# user as inactive or remote.

start_polkit_session() {
  local work="$1" uid="$2"
  local portex_tests="$here/../portex64"
  polkit_log="$work/polkit-calls.log"
  : >"$polkit_log"
  /usr/bin/python3 "$portex_tests/fake_polkit_authority.py" \
    --bus-config="$portex_tests/fake_system_bus.conf" \
    --policy=/usr/share/polkit-1/actions/com.norvane.pacetta.policy \
    --log="$polkit_log" --session="$uid:active:yes" >"$work/authority.out" 2>"$work/authority.err" &
  authority_pid=$!
  bus_pid="$authority_pid"
  for _ in $(seq 300); do
    grep -q '^DBUS_SYSTEM_BUS_ADDRESS=' "$work/authority.out" && break
    kill -0 "$authority_pid" 2>/dev/null || break
    sleep 0.1
  done
  bus_address="$(sed -n 's/^DBUS_SYSTEM_BUS_ADDRESS=//p' "$work/authority.out")"
  [ -n "$bus_address" ] || { cat "$work/authority.err"; fail "the stand-in polkit authority did not start"; }
}

# The authority's log lines of the calls about UID's processes.
polkit_calls_for() {
  grep -E "\"uid\": $1[,}]" "$polkit_log" || true
}

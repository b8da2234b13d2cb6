#!/usr/bin/env bash
# Sets everything up and runs the program on the built-in simulated machine. Without a
# display it runs on the console; end it with Ctrl-C or `build/bin/pacetta -exit`.
# Unless a --sim-load is given, the simulated processors go through a repeating round of
# idle, full and partial load, so that the status lines show the engine at work.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
# Only what the program runs with: the program, the register helper and the idle helper.
# The flags are the test command's, so that it builds on what is built here.
"$root/scripts/build.sh" "$root/build" -DPACETTA_WERROR=ON -- pacetta Portex64 PacettaHLT
load=(--sim-load='script:idle@4s,full@4s,busy=40@4s;full@3s,idle@5s,busy=70@4s')
for argument in "$@"; do
  case "$argument" in --sim-load=*) load=() ;; esac
done
exec "$root/build/bin/pacetta" --simulate "${load[@]}" "$@"

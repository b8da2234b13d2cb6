#!/usr/bin/env bash
# Sets everything up and runs the program on the built-in simulated machine. Without a
# display it runs on the console; end it with Ctrl-C or `build/bin/pacetta -exit`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/bin/pacetta" --simulate "$@"

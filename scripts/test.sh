#!/usr/bin/env bash
# Sets everything up and runs every test: the normal build, then the same tests built
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
jobs="$(nproc)"

echo "== Build and test"
"$root/scripts/build.sh" "$root/build" -DPACETTA_WERROR=ON
(cd "$root/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
"$root/scripts/build.sh" "$root/build-asan" -DPACETTA_WERROR=ON -DPACETTA_SANITIZE=address,undefined
(cd "$root/build-asan" && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
  ctest --output-on-failure -j "$jobs")

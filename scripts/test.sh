#!/usr/bin/env bash
# Sets everything up and runs every test: the normal build, then the same tests built
# with AddressSanitizer and UndefinedBehaviorSanitizer, then the engine's tests built
# with ThreadSanitizer, then the fuzzers for a fixed number of runs, then the Debian
# package: built, checked, installed for real, used and purged.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
jobs="$(nproc)"
# Line tables are enough for the sanitizers' and the tests' stack traces, and full debug
# information costs a third of the compile time; the sanitizer builds optimise at -O1, as
# the sanitizers advise.
lines_only=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
sanitizer_flags=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG")

echo "== Build and test"
"$root/scripts/build.sh" "$root/build" -DPACETTA_WERROR=ON "${lines_only[@]}"
(cd "$root/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
"$root/scripts/build.sh" "$root/build-asan" -DPACETTA_WERROR=ON "${sanitizer_flags[@]}" \
  -DPACETTA_SANITIZE=address,undefined
(cd "$root/build-asan" && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
  ctest --output-on-failure -j "$jobs")

# The engine's threads (monitoring, management, the start delay) against the main
# thread's operations, and the running program's message loop around them: only these
# programs, each test labelled with its program.
echo "== Build and test the engine and the running program with ThreadSanitizer"
engine_tests=(test_engine_monitor test_engine_management test_engine_stress test_engine_log
  test_engine_idle test_app)
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPACETTA_WITH_QT=OFF -DPACETTA_WERROR=ON "${sanitizer_flags[@]}" -DPACETTA_SANITIZE=thread >/dev/null
cmake --build "$root/build-tsan" -j "$jobs" --target "${engine_tests[@]}"
labels="^($(IFS='|'; echo "${engine_tests[*]}"))\$"
(cd "$root/build-tsan" && TSAN_OPTIONS=second_deadlock_stack=1 \
  ctest --output-on-failure -j "$jobs" -L "$labels")

echo "== Fuzz every loader of outside data for a fixed number of runs"
"$root/scripts/fuzz.sh"

echo "== Build, check, install, use and purge the Debian package"
"$root/scripts/package.sh"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO "$root/tests/package/package_test.sh" "$root"/build-package/pacetta_*.deb

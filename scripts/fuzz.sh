#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for RUNS executions (default
# 20000) on a copy of its seed corpus, one after the other, with a fixed seed. Fails when
# any target reports a crash, a leak, a sanitizer finding or a failed check; the input
# that did it is kept in build-fuzz/fuzz-findings/. See docs/fuzzing.md.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-20000}"
if ! [[ "$runs" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [RUNS]" >&2
  exit 2
fi
"$root/scripts/install-deps.sh"
build="$root/build-fuzz"

echo "== Build the fuzz targets"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DPACETTA_WITH_QT=OFF \
  -DBUILD_TESTING=OFF -DPACETTA_FUZZ=ON -DPACETTA_WERROR=ON >/dev/null
cmake --build "$build" --target pacetta_fuzzers -j 2

# Target and the longest input it is given: room for its largest seed and then some.
targets=(
  "settings_file 16384"
  "profile_records 8192"
  "event_records 4096"
  "machine_file 8192"
  "machine_sidecar 2048"
  "scenario 1024"
  "portex64_request 512"
  "update_server 4096"
  "update_archive 8192"
)

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
findings="$build/fuzz-findings"
mkdir -p "$findings"
failed=()
echo "== Run each target $runs times"
printf '%-18s %10s %9s  %s\n' target executions seconds coverage
for entry in "${targets[@]}"; do
  read -r name max_len <<<"$entry"
  corpus="$work/$name"
  cp -r "$root/fuzz/corpus/$name" "$corpus"
  log="$work/$name.log"
  start=$(date +%s%N)
  status=0
  "$build/fuzz/${name}_fuzzer" -runs="$runs" -seed=1 -max_len="$max_len" -timeout=30 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
    "$corpus" >"$log" 2>&1 || status=$?
  tenths=$((($(date +%s%N) - start) / 100000000))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true)
  printf '%-18s %10s %7d.%d  %s\n' "$name" "${executions:-?}" $((tenths / 10)) $((tenths % 10)) \
    "$coverage"
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    echo "-- $name failed (exit $status):"
    grep -v '^#[0-9]' "$log" | tail -60
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs in $findings)"
  exit 1
fi
echo "No target found a fault."

#!/usr/bin/env bash
# Renders every page of every catalogue machine to PNG files, without a display:
#
#   scripts/screenshots.sh [FOLDER] [--scale=N]
#
# FOLDER (default: screenshots/ in the build folder) gets one folder per machine, with one
# picture per tree item in tree order and one of the collapsed window. --scale=2 renders
# as on a screen of device pixel ratio 2. Each machine runs the program on Qt's offscreen
# platform with fresh settings, as a first start would, and ends it in order.
# BUILD_DIR chooses the build folder (default: build/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out=""
scale=""
for argument in "$@"; do
  case "$argument" in
    --scale=*) scale="${argument#--scale=}" ;;
    -*) echo "usage: $0 [FOLDER] [--scale=N]" >&2; exit 2 ;;
    *) out="$argument" ;;
  esac
done
out="${out:-$build/screenshots}"

"$root/scripts/build.sh" "$build" -DPACETTA_WERROR=ON -- pacetta_screenshots >/dev/null
tool="$build/bin/pacetta_screenshots"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=0
for machine in $("$tool" --list-machines); do
  rm -rf "${scratch:?}"/* "$out/$machine"
  mkdir -p "$scratch/config" "$scratch/runtime" "$out/$machine"
  # The offscreen platform's remarks on what it cannot do are kept for a failure.
  if ! env QT_QPA_PLATFORM=offscreen ${scale:+QT_SCALE_FACTOR="$scale"} \
      XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
      PACETTA_RUNTIME_DIR="$scratch/runtime" \
      "$tool" --simulate="$machine" --out="$out/$machine" >/dev/null 2>"$scratch/errors"; then
    echo "$machine: failed" >&2
    cat "$scratch/errors" >&2
    failed=1
    continue
  fi
  echo "$machine: $(ls "$out/$machine" | wc -l) pictures"
done
echo "in $out"
exit "$failed"

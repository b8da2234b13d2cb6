#!/usr/bin/env bash
# Renders every page of every catalogue machine to PNG files, without a display:
#
#   scripts/screenshots.sh [FOLDER] [--scale=N]
#
# FOLDER (default: screenshots/ in the build folder) gets one folder per machine, with one
# picture per tree item in tree order and one of the collapsed window, and monitoring/
# the Monitoring page after half a minute under changing load. --scale=2 renders
# as on a screen of device pixel ratio 2. Each machine runs the program on Qt's offscreen
# platform with fresh settings, as a first start would, and ends it in order.
# BUILD_DIR chooses the build folder (default: build/).
# PACETTA_SCREENSHOT_LOCALE chooses the language (default English: C.UTF-8; de_DE.UTF-8
# shows the German module's texts).
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
      PACETTA_RUNTIME_DIR="$scratch/runtime" LC_ALL="${PACETTA_SCREENSHOT_LOCALE:-C.UTF-8}" \
      "$tool" --simulate="$machine" --out="$out/$machine" >/dev/null 2>"$scratch/errors"; then
    echo "$machine: failed" >&2
    cat "$scratch/errors" >&2
    failed=1
    continue
  fi
  echo "$machine: $(ls "$out/$machine" | wc -l) pictures"
done
# PACETTA_DOCS_PICTURES=1: the README's picture of the CPU info page is renewed from the
# dual-core K8 laptop's (in English at scale 1 only).
if [ "${PACETTA_DOCS_PICTURES:-}" = 1 ] && [ -z "$scale" ] && [ -z "${PACETTA_SCREENSHOT_LOCALE:-}" ]; then
  for picture in "$out"/k8-x2-laptop/*-CPU-info.png; do
    if [ -f "$picture" ]; then
      cp "$picture" "$root/docs/cpu-info.png"
      echo "docs/cpu-info.png renewed"
    fi
  done
  # The Settings page's picture, from the same machine.
  for picture in "$out"/k8-x2-laptop/*-Settings.png; do
    if [ -f "$picture" ]; then
      cp "$picture" "$root/docs/settings.png"
      echo "docs/settings.png renewed"
    fi
  done
  # The K7 advanced page, from the mobile K7 laptop.
  for picture in "$out"/k7-mobile-laptop/*-Advanced-CPU-settings.png; do
    if [ -f "$picture" ]; then
      cp "$picture" "$root/docs/advanced-k7.png"
      echo "docs/advanced-k7.png renewed"
    fi
  done
  # The K8 advanced page, a picture per tab, from the dual-core K8 laptop.
  for tab in "" "-P-states-transitions" "-Misc-control"; do
    for picture in "$out"/k8-x2-laptop/*-Advanced-CPU-settings"$tab".png; do
      if [ -f "$picture" ]; then
        name="advanced-k8$(echo "${tab:--CPU-setup}" | tr 'A-Z' 'a-z').png"
        cp "$picture" "$root/docs/$name"
        echo "docs/$name renewed"
      fi
    done
  done
  # The other families' advanced pages: machine, tab picture suffix, docs name.
  for entry in "core2-duo-laptop::advanced-intel-processor" \
      "core2-duo-laptop:-Chipset:advanced-intel-chipset" \
      "core2-duo-laptop:-Throttling:advanced-intel-throttling" \
      "pentium4-ht::advanced-intel-netburst" "via-c7::advanced-via" \
      "transmeta::advanced-transmeta"; do
    machine="${entry%%:*}" rest="${entry#*:}"
    tab="${rest%%:*}" name="${rest#*:}"
    for picture in "$out/$machine"/*-Advanced-CPU-settings"$tab".png; do
      if [ -f "$picture" ]; then
        cp "$picture" "$root/docs/$name.png"
        echo "docs/$name.png renewed"
      fi
    done
  done
  # The battery pages of the dual-core K8 laptop and its simulated battery.
  for entry in "Battery-info:battery-info" "Battery-device-Simulated-battery-0:battery-device"; do
    page="${entry%%:*}" name="${entry#*:}"
    for picture in "$out/k8-x2-laptop"/*-"$page".png; do
      if [ -f "$picture" ]; then
        cp "$picture" "$root/docs/$name.png"
        echo "docs/$name.png renewed"
      fi
    done
  done
  # The Profile page's OS settings: numbered schemes on the XP laptop, plans on Vista.
  for entry in "pentium-m-laptop:profile-os-settings" "core2-duo-laptop:profile-os-plans"; do
    machine="${entry%%:*}" name="${entry#*:}"
    for picture in "$out/$machine"/*-Profile-Performance-on-demand-OS-settings.png; do
      if [ -f "$picture" ]; then
        cp "$picture" "$root/docs/$name.png"
        echo "docs/$name.png renewed"
      fi
    done
  done
fi
# The Monitoring page with its graphs filled: the dual-core K8 laptop on "Performance on
# demand", refreshed every 200 ms through half a minute of idle and full load in turn
# (monitoring/monitoring.png; with PACETTA_DOCS_PICTURES=1 also docs/monitoring.png).
rm -rf "${scratch:?}"/* "$out/monitoring"
mkdir -p "$scratch/config/pacetta/simulated" "$scratch/runtime" "$out/monitoring"
printf '{"format": "pacetta-settings", "version": 1, "keys": {"Software\\\\Norvane\\\\Pacetta": %s}}\n' \
  '{"ProgramVersion": 33752320, "SkipCPUIDCheck": 1, "RefreshInterval": 200, "ProfileAC": 3, "ProfileDC": 3}' \
  >"$scratch/config/pacetta/simulated/k8-x2-laptop.json"
if env QT_QPA_PLATFORM=offscreen ${scale:+QT_SCALE_FACTOR="$scale"} \
    XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
    PACETTA_RUNTIME_DIR="$scratch/runtime" LC_ALL="${PACETTA_SCREENSHOT_LOCALE:-C.UTF-8}" \
    "$tool" --simulate=k8-x2-laptop --sim-load=script:idle@1500ms,full@1500ms \
    --monitor-ms=30000 --out="$out/monitoring" >/dev/null 2>"$scratch/errors"; then
  echo "monitoring: 1 picture"
  if [ "${PACETTA_DOCS_PICTURES:-}" = 1 ] && [ -z "$scale" ] &&
      [ -z "${PACETTA_SCREENSHOT_LOCALE:-}" ]; then
    cp "$out/monitoring/monitoring.png" "$root/docs/monitoring.png"
    echo "docs/monitoring.png renewed"
  fi
else
  echo "monitoring: failed" >&2
  cat "$scratch/errors" >&2
  failed=1
fi
echo "in $out"
exit "$failed"

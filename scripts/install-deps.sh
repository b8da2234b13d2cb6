#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ lld pkg-config qt6-base-dev libcurl4-openssl-dev
  nlohmann-json3-dev libgtest-dev libgmock-dev googletest libbenchmark-dev cpuid xvfb xauth
  clang-format libsystemd-dev dbus-daemon systemd qt6-base-private-dev trayer x11-utils x11-apps
  desktop-file-utils libxcb-screensaver0-dev python3-pyftpdlib python3-openssl openssl libssl-dev zlib1g-dev
  dpkg-dev debhelper fakeroot lintian appstream python3-dbus python3-gi libxml2-utils
  clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

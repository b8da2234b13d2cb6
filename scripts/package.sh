#!/usr/bin/env bash
# Builds the Debian package from the working tree (tracked and new files, not ignored
# ones) in a clean copy under build-package/, so the tree itself stays untouched, and
# leaves build-package/pacetta_VERSION_ARCH.deb. Checks it with lintian, failing on
# errors.
#
# PACETTA_UPDATE_PUBLIC_KEY and PACETTA_UPDATE_SERVER, when set, name the publisher's
# update key file and server (see docs/updates.md).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
out="$root/build-package"
rm -rf "$out"
mkdir -p "$out/src"
# A tracked file deleted in the tree is left out, as it would be from a commit.
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$out/src")
if [ -n "${PACETTA_UPDATE_PUBLIC_KEY:-}" ]; then
  export PACETTA_UPDATE_PUBLIC_KEY="$(realpath "$PACETTA_UPDATE_PUBLIC_KEY")"
fi

echo "== Building the Debian package"
(cd "$out/src" && DEB_BUILD_OPTIONS="parallel=$(nproc) nocheck" \
  dpkg-buildpackage -b -us -uc --no-sign >"$out/build.log" 2>&1) || {
  tail -n 60 "$out/build.log"
  echo "package.sh: the package build failed; the whole log is $out/build.log" >&2
  exit 1
}
deb="$(ls "$out"/pacetta_*.deb)"
echo "Built $deb"

echo "== lintian"
# Root may run lintian; it only reads the package.
lintian --fail-on error --allow-root --info "$deb"

#!/usr/bin/env bash
# Publishes a build as an update into a folder that an FTP server serves: the package
# (the files of FOLDER as a tar.gz), its Ed25519 signature, the description, the version
# file and a SHA-256 checksum. The files appear under their final names only when whole,
# the version file last, so a client never finds an update before all its parts are in.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: publish-update.sh --key PRIVATE.pem --name NAME --from VERSION --to VERSION
                         --description TEXTFILE --out SERVED_FOLDER FOLDER

  --key          the publisher's Ed25519 private key (PEM); never leaves the publisher
  --name         the update's base name on the server (letters, digits, '.', '_', '-')
  --from         the lowest program version the update applies to, e.g. 2.3.0.0
  --to           the version the update brings, e.g. 2.3.6.0
  --description  a text file shown to the user (the first 4095 bytes)
  --out          the folder the FTP server serves for the program (e.g. .../pacetta/)
  FOLDER         the files to install, named as they are relative to the program's folder
EOF
}

die() {
  echo "publish-update: $*" >&2
  exit 1
}

key="" name="" from="" to="" description="" out="" folder=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --key) key="${2-}"; shift 2 ;;
    --name) name="${2-}"; shift 2 ;;
    --from) from="${2-}"; shift 2 ;;
    --to) to="${2-}"; shift 2 ;;
    --description) description="${2-}"; shift 2 ;;
    --out) out="${2-}"; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; die "unknown option $1" ;;
    *) [[ -z "$folder" ]] || die "one FOLDER only"; folder="$1"; shift ;;
  esac
done
[[ -n "$key" && -n "$name" && -n "$from" && -n "$to" && -n "$description" && -n "$out" &&
  -n "$folder" ]] || { usage >&2; exit 2; }
[[ "$name" =~ ^[A-Za-z0-9][A-Za-z0-9._-]{0,200}$ ]] || die "bad name: $name"
[[ -f "$key" ]] || die "no key file: $key"
[[ -f "$description" ]] || die "no description file: $description"
[[ -d "$folder" ]] || die "no folder: $folder"
[[ -d "$out" ]] || die "no served folder: $out"
out="$(cd "$out" && pwd)"
command -v openssl >/dev/null || die "openssl is needed"

# A version "A.B.C.D" as the program numbers it: one byte per part, A highest.
version_number() {
  local IFS=. parts
  read -r -a parts <<<"$1"
  [[ ${#parts[@]} -eq 4 ]] || die "bad version: $1 (four parts, e.g. 2.3.6.0)"
  local value=0 part
  for part in "${parts[@]}"; do
    [[ "$part" =~ ^[0-9]+$ && "$part" -le 255 ]] || die "bad version: $1"
    value=$((value * 256 + part))
  done
  echo "$value"
}

# Four bytes, little-endian.
le32() {
  local value=$1 i
  for i in 0 1 2 3; do
    printf "\\x$(printf %02x $(((value >> (8 * i)) & 0xff)))"
  done
}

lowest=$(version_number "$from")
brings=$(version_number "$to")
((lowest < brings)) || die "--from must be below --to"

# Only files and folders go in: the program refuses a package with anything else.
if [[ -n "$(find "$folder" -mindepth 1 ! -type f ! -type d -print -quit)" ]]; then
  die "$folder holds links or special files; a package carries files and folders only"
fi

work="$(mktemp -d "$out/.publish-XXXXXX")"
trap 'rm -rf "$work"' EXIT

package="$work/$name.tar.gz"
(cd "$folder" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort |
  tar --format=pax --owner=0 --group=0 --numeric-owner --no-recursion -czf "$package" -T -)
openssl pkeyutl -sign -rawin -inkey "$key" -in "$package" -out "$package.sig"
# The signature is checked here as the program will check it.
openssl pkey -in "$key" -pubout -out "$work/public.pem"
openssl pkeyutl -verify -rawin -pubin -inkey "$work/public.pem" -in "$package" \
  -sigfile "$package.sig" >/dev/null || die "the new signature does not verify"
(cd "$work" && sha256sum "$name.tar.gz" >"$name.tar.gz.sha256")
head -c 4095 "$description" >"$work/$name.txt"
{ le32 "$lowest"; le32 "$brings"; } >"$work/$name.ver"
chmod 0644 "$work/$name".*

for part in tar.gz tar.gz.sig tar.gz.sha256 txt ver; do
  mv -f "$work/$name.$part" "$out/$name.$part"
done
echo "Published $name ($from -> $to) in $out"

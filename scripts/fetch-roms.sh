#!/usr/bin/env bash
# Usage: scripts/fetch-roms.sh DESTDIR [CACHEDIR]
#
# Puts the four machine ROM images into DESTDIR. They are not kept in any
# repository: they are cut out of the data of a browser build published on the
# npm registry (only its data is used; none of its code is run or read).
# Idempotent: a DESTDIR or cache that already holds verified images is reused.
set -euo pipefail

PACKAGE='@emulatorjs/core-vice_xplus4@4.2.3'
# name:CRC32 of each 16384-byte image.
IMAGES=(basic.bin:74eaae87 kernal.bin:71c07bd4 3plus1lo.rom:4fd1d8cb 3plus1hi.rom:109de2fc)

die() { echo "fetch-roms: error: $*" >&2; exit 1; }

[[ $# -ge 1 && $# -le 2 ]] || { echo "usage: $0 DESTDIR [CACHEDIR]" >&2; exit 2; }
DEST=$1
CACHE=${2:-${XDG_CACHE_HOME:-$HOME/.cache}/varlume/roms}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

command -v node >/dev/null || die "node is missing (Debian package: nodejs)"

# CRC32 of a file in lower-case hex. coreutils' cksum uses another CRC, so
# node computes it with the extractor's own routine.
crc_of() {
  # The module path goes in the environment: as argv[1] it would look like
  # the extractor being run as a program.
  EXTRACTOR="$HERE/extract-roms.mjs" node --input-type=module -e "
    import { readFileSync } from 'node:fs';
    import { pathToFileURL } from 'node:url';
    const { crc32 } = await import(pathToFileURL(process.env.EXTRACTOR).href);
    for (const f of process.argv.slice(1)) console.log(crc32(readFileSync(f)).toString(16).padStart(8, '0'));
  " "$@"
}

# True when directory $1 holds all four images with the right size and CRC.
# With a second argument, says on stderr what is wrong.
verified() {
  local dir=$1 loud=${2:-} entry files=() want=() got i
  for entry in "${IMAGES[@]}"; do
    files+=("$dir/${entry%%:*}"); want+=("${entry##*:}")
    if [[ ! -f ${files[-1]} || $(stat -c %s "${files[-1]}") -ne 16384 ]]; then
      [[ -z $loud ]] || echo "fetch-roms: ${files[-1]} is missing or not 16384 bytes" >&2
      return 1
    fi
  done
  # One node start for all four files keeps the warm path fast.
  mapfile -t got < <(crc_of "${files[@]}")
  for i in "${!want[@]}"; do
    if [[ ${got[i]:-} != "${want[i]}" ]]; then
      [[ -z $loud ]] || echo "fetch-roms: ${files[i]} has CRC32 ${got[i]:-?}, expected ${want[i]}" >&2
      return 1
    fi
  done
}

install_from() {
  mkdir -p "$2"
  for entry in "${IMAGES[@]}"; do cp "$1/${entry%%:*}" "$2/"; done
}

if verified "$DEST"; then
  echo "fetch-roms: ROM images already in $DEST"
  exit 0
fi

if verified "$CACHE"; then
  install_from "$CACHE" "$DEST"
  echo "fetch-roms: ROM images copied from cache $CACHE to $DEST"
  exit 0
fi

command -v npm >/dev/null || die "npm is missing (Debian package: npm)"
command -v 7z >/dev/null || die "7z is missing (Debian package: p7zip-full)"

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

echo "fetch-roms: downloading the source package from the npm registry"
( cd "$TMP" && npm pack --loglevel=error "$PACKAGE" >/dev/null ) || die "npm pack failed (see above)"
tarball=$(find "$TMP" -maxdepth 1 -name '*.tgz' -print -quit)
[[ -n $tarball ]] || die "npm pack produced no tarball"
mkdir "$TMP/pkg"
tar -xzf "$tarball" -C "$TMP/pkg" || die "cannot unpack the package tarball"

data=$(find "$TMP/pkg" -name '*.data' -type f -print -quit)
[[ -n $data ]] || die "no .data archive in the package"
echo "fetch-roms: unpacking its .data archive ($(stat -c %s "$data") bytes) with 7z"
mkdir "$TMP/data"
7z x -y -bd -o"$TMP/data" "$data" >/dev/null || die "7z could not unpack the .data archive"

wasm=$(find "$TMP/data" -name '*.wasm' -type f -print -quit)
[[ -n $wasm ]] || die "no .wasm module inside the .data archive"
echo "fetch-roms: extracting images from its .wasm module ($(stat -c %s "$wasm") bytes)"
node "$HERE/extract-roms.mjs" "$wasm" "$TMP/roms" || die "image extraction failed"

verified "$TMP/roms" loud || die "extracted images do not have the expected sizes and CRC32s"
install_from "$TMP/roms" "$CACHE"
install_from "$TMP/roms" "$DEST"
echo "fetch-roms: ROM images installed in $DEST (cached in $CACHE)"

#!/usr/bin/env bash
# Peak resident memory of corvane-verify (a file, and --check of a manifest that pins its SHA-256)
# and of corvane-stamp --json, at image sizes from 2 KiB to the largest (4 GiB less 2 KiB): each
# must stay the same at every size, under 16 MiB. Needs some 8 GiB of disk for the two largest
# images; measure on a disk, not a tmpfs (whose pages would count as the process's).
# Usage: bench/memory.sh [path/to/bin]
set -euo pipefail
bin=$(realpath "${1:-build/bin}")
[ -x "$bin/corvane-verify" ] && [ -x "$bin/corvane-stamp" ] || { echo "no tools in $bin: build them first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian: time)" >&2; exit 2; }
dir=$(mktemp -d "${TMPDIR:-/var/tmp}/corvane-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cd "$dir"
head -c 1000 /dev/urandom > raw.bin
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

printf '%-22s %16s %16s %16s\n' "image (KiB resident)" "verify -q" "--check -q" "stamp --json"
for kb in 2 262144 1048576 4194302; do
  json=$(peak "$bin/corvane-stamp" --json -t bios -s "$kb" -v 1.0.0.2101 -i 8640 raw.bin image.bin)
  digest=$("$bin/corvane-stamp" --json -t bios -s "$kb" -v 1.0.0.2101 -i 8640 raw.bin image.bin |
           sed -n 's/.*"sha256": "\([0-9a-f]*\)".*/\1/p')
  echo "bios $kb 1.0.0.2101 8640 sha256:$digest image.bin" > images.txt
  cat image.bin > /dev/null
  verify=$(peak "$bin/corvane-verify" -q image.bin)
  check=$(peak "$bin/corvane-verify" -q --check images.txt)
  "$bin/corvane-verify" -q --check images.txt # the image is the one stamped
  printf '%-22s %16s %16s %16s\n' "$kb KiB" "$verify" "$check" "$json"
  rm -f image.bin
done

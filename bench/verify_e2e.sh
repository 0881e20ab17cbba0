#!/usr/bin/env bash
# corvane-verify of a cached 256 MiB image, both of its reads, against its floor, `cat F >
# /dev/null` (one read of the same cached file), interleaved, medians of N runs (default 11);
# then the same for a 2 KiB image against `cat`, where a start of the process is all there is.
# Usage: bench/verify_e2e.sh [path/to/corvane-verify [path/to/corvane-stamp]] [runs]
set -euo pipefail
verify=$(realpath "${1:-build/bin/corvane-verify}")
stamp=$(realpath "${2:-$(dirname "$verify")/corvane-stamp}")
runs=${3:-11}
[ -x "$verify" ] && [ -x "$stamp" ] || { echo "no tools at $verify, $stamp: build them first" >&2; exit 2; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
head -c 200000000 /dev/urandom > big.raw
"$stamp" -t bios -s 262144 -v 1.0.0.2101 -i 8640 big.raw big.bin
head -c 1000 /dev/urandom > small.raw
"$stamp" -t bios -s 2 -v 1.0.0.2101 -i 8640 small.raw small.bin
"$verify" -q big.bin && cat big.bin >/dev/null   # cached, and valid

now() { date +%s%N; }
elapsed() { local start; start=$(now); "$@" >/dev/null; echo $(( $(now) - start )); }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
floor() { cat "$1" >/dev/null; }

printf '%-34s %10s %10s %7s\n' "median of $runs runs" "verify ms" "cat ms" "ratio"
for file in big.bin small.bin; do
  v=() c=()
  for ((i = 0; i < runs; ++i)); do
    v+=("$(elapsed "$verify" -q "$file")")
    c+=("$(elapsed floor "$file")")
  done
  mv=$(median "${v[@]}") mc=$(median "${c[@]}")
  printf '%-34s %10s %10s %7s\n' "$file ($(stat -c %s "$file") bytes)" "$(ms "$mv")" "$(ms "$mc")" "$(ratio "$mv" "$mc")"
done

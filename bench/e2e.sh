#!/usr/bin/env bash
# End-to-end speed and memory of the stamping, each measured side by side with
# its floor, interleaved, medians of N runs (default 7):
#   restamp: a 256 MiB image that is already its size, against `cat image image`, each on a
#            fresh copy of the image
#   stamp:   a 1,000-byte input into a 256 MiB image, against copying the input,
#            appending the same 0xFF padding with dd, flushing it to storage
#            (the tool flushes the image before it reports success) and
#            reading the result twice
# Each run starts with nothing of its file waiting to be written (sync), so
# that the flush times the run's own writes; measure on a disk, not a tmpfs.
#   memory:  the tool's peak resident set for a 2 KiB and a 256 MiB image
# Usage: bench/e2e.sh [path/to/corvane] [runs]
set -euo pipefail
tool=$(realpath "${1:-build/bin/corvane}")
runs=${2:-7}
[ -x "$tool" ] || { echo "no tool at $tool: build it first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian: time)" >&2; exit 2; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
mib=256
size=$((mib << 20))
args=(-t bios -s $((mib << 10)) -v 1.0.0.2101 -i 8640)

head -c 1000 /dev/urandom > input.bin
head -c $((size - 1000)) /dev/zero | tr '\0' '\377' > padding.bin
head -c "$size" /dev/urandom > image.bin

now() { date +%s%N; }
elapsed() { local start; start=$(now); "$@" >/dev/null; echo $(( $(now) - start )); }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

restamp() { cp image.bin bios.bin && sync; "$tool" "${args[@]}" >/dev/null; }
restamp_floor() { cat bios.bin bios.bin >/dev/null; }
stamp() { "$tool" "${args[@]}"; }
stamp_floor() {
  dd if=padding.bin of=floor.bin bs=128K oflag=append conv=notrunc,fdatasync status=none
  cat floor.bin floor.bin
}

# Warm the page cache and the files once.
restamp; cp input.bin bios.bin && stamp >/dev/null; cp input.bin floor.bin && stamp_floor >/dev/null
cp image.bin bios.bin && "$tool" "${args[@]}" >/dev/null   # a stamped 256 MiB image to restamp
cp bios.bin image.bin

a=() af=() b=() bf=()
for ((i = 0; i < runs; ++i)); do
  cp image.bin bios.bin && sync
  a+=("$(elapsed "$tool" "${args[@]}")")
  cp image.bin bios.bin && sync
  af+=("$(elapsed restamp_floor)")
  cp input.bin bios.bin && sync
  b+=("$(elapsed stamp)")
  cp input.bin floor.bin && sync
  bf+=("$(elapsed stamp_floor)")
done

cp image.bin bios.bin
mem_large=$(/usr/bin/time -f %M "$tool" "${args[@]}" 2>&1 >/dev/null | tail -1)
head -c 1000 /dev/urandom > bios.bin
mem_small=$(/usr/bin/time -f %M "$tool" -t bios -s 2 -v 1.0.0.2101 -i 8640 2>&1 >/dev/null | tail -1)

ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ma=$(median "${a[@]}") maf=$(median "${af[@]}") mb=$(median "${b[@]}") mbf=$(median "${bf[@]}")
printf '%-34s %10s %10s %7s\n' "median of $runs runs" "tool ms" "floor ms" "ratio"
printf '%-34s %10s %10s %7s\n' "restamp 256 MiB" "$(ms "$ma")" "$(ms "$maf")" "$(ratio "$ma" "$maf")"
printf '%-34s %10s %10s %7s\n' "stamp 1,000 B into 256 MiB" "$(ms "$mb")" "$(ms "$mbf")" "$(ratio "$mb" "$mbf")"
printf 'peak resident: %s KiB for a 2 KiB image, %s KiB for a 256 MiB image\n' "$mem_small" "$mem_large"

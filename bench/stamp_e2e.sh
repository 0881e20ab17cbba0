#!/usr/bin/env bash
# corvane-stamp's first stamp against its floor, side by side, interleaved, medians of N runs
# (default 7): a 256 MiB output from a 200 MiB input, against
#   cat IN PAD > T && sync -d T && cat T > /dev/null
# (PAD a cached file of the padding's 56 MiB of 0xFF): write the image once, flush it, read it
# back, as the tool must; and the same stamp with --json, which adds the image's SHA-256, against
# the plain one, also both on one core (taskset), where the SHA-256 has no core of its own. Each
# run starts with nothing left to write (sync) and a new OUTPUT. Also the tool's
# peak resident set. Measure on a disk, not a tmpfs.
# Usage: bench/stamp_e2e.sh [path/to/corvane-stamp] [runs]
set -euo pipefail
tool=$(realpath "${1:-build/bin/corvane-stamp}")
runs=${2:-7}
[ -x "$tool" ] || { echo "no tool at $tool: build it first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian: time)" >&2; exit 2; }
dir=$(mktemp -d "${TMPDIR:-/var/tmp}/corvane-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cd "$dir"
head -c $((200 << 20)) /dev/urandom > in.bin
head -c $((56 << 20)) /dev/zero | tr '\0' '\377' > pad.bin
cat in.bin pad.bin > /dev/null # both cached, as in a build that has just made the input

now() { date +%s%N; }
elapsed() { local start; start=$(now); "$@" >/dev/null; echo $(( $(now) - start )); }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
words=(-t firmware -s $((256 << 10)) -v 1.0.0.2101 -i 8640 in.bin out.bin)
stamp() { "$tool" "${words[@]}"; }
stamp_json() { "$tool" --json "${words[@]}"; }
floor() { cat in.bin pad.bin > t.bin && sync -d t.bin && cat t.bin > /dev/null; }
stamp_one_core() { taskset -c 0 "$tool" "${words[@]}"; }
stamp_json_one_core() { taskset -c 0 "$tool" --json "${words[@]}"; }

tool_ns=() floor_ns=() json_ns=() tool1_ns=() json1_ns=()
for ((i = 0; i < runs; ++i)); do
  rm -f out.bin t.bin && sync
  tool_ns+=("$(elapsed stamp)")
  rm -f out.bin t.bin && sync
  json_ns+=("$(elapsed stamp_json)")
  rm -f out.bin t.bin && sync
  floor_ns+=("$(elapsed floor)")
  if command -v taskset >/dev/null; then
    rm -f out.bin t.bin && sync
    tool1_ns+=("$(elapsed stamp_one_core)")
    rm -f out.bin t.bin && sync
    json1_ns+=("$(elapsed stamp_json_one_core)")
  fi
done
rm -f out.bin && sync
memory=$(/usr/bin/time -f %M "$tool" -t firmware -v 1.0.0.2101 -i 8640 in.bin out.bin 2>&1 >/dev/null | tail -1)
t=$(median "${tool_ns[@]}") f=$(median "${floor_ns[@]}") j=$(median "${json_ns[@]}")
awk -v t="$t" -v f="$f" -v j="$j" -v n="$runs" -v m="$memory" 'BEGIN {
  printf "median of %d runs: corvane-stamp %.0f ms, floor %.0f ms, ratio %.2f; peak resident %d KiB\n",
         n, t / 1e6, f / 1e6, t / f, m
  printf "with --json (the SHA-256 too): %.0f ms, %.2f of the plain stamp\n", j / 1e6, j / t }'
if [ ${#tool1_ns[@]} -gt 0 ]; then
  t1=$(median "${tool1_ns[@]}") j1=$(median "${json1_ns[@]}")
  awk -v t="$t1" -v j="$j1" 'BEGIN {
    printf "on one core: corvane-stamp %.0f ms, with --json %.0f ms, %.2f of it\n", t / 1e6, j / 1e6, j / t }'
fi

#!/usr/bin/env bash
# The CMake package at scale: a full Ninja build of N images through corvane_add_image (their
# manifest gathered and all) against a Ninja file that calls corvane-stamp directly for the same
# images, each from a clean build folder, then each no-op build, and the CPU time of the full build
# per image; also the no-op build of a CMake project of N plain custom targets (a copy each), what
# CMake's own build file costs Ninja; for N of 1, 100 and 500 by default. Medians of RUNS runs (default 3), interleaved.
# Measure on a disk, not a tmpfs.
# Usage: bench/helpers_scale.sh [path/to/build] [runs] [N...]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-3}
shift $(($# > 2 ? 2 : $#))
counts=("${@:-1 100 500}")
[ $# -gt 0 ] || counts=(1 100 500)
stamp=$build/bin/corvane-stamp
[ -x "$stamp" ] || { echo "no corvane-stamp in $build/bin: build it first" >&2; exit 2; }
command -v python3 >/dev/null || { echo "needs python3" >&2; exit 2; }
command -v ninja >/dev/null || { echo "needs ninja (Debian: ninja-build)" >&2; exit 2; }
dir=$(mktemp -d "${TMPDIR:-/var/tmp}/corvane-scale.XXXXXX")
trap 'rm -rf "$dir"' EXIT

# Wall and CPU seconds of a command (its own and its children's, to the microsecond), as "WALL CPU".
timed() {
  python3 -c '
import resource, subprocess, sys, time
def cpu():  # children waited for before, as by a launcher that exec()s python, are not the command
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    return used.ru_utime + used.ru_stime
before, start = cpu(), time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
print("%.4f %.4f" % (time.monotonic() - start, cpu() - before))' "$@"
}
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-8s %12s %12s %7s %14s %14s %12s %12s %12s\n' images "helpers s" "direct s" ratio \
  "cpu/img helpers" "cpu/img direct" "no-op helpers" "no-op direct" "no-op cmake"
for n in "${counts[@]}"; do
  project=$dir/$n
  mkdir -p "$project/raw"
  {
    echo 'cmake_minimum_required(VERSION 3.20)'
    echo 'project(scale NONE)'
    echo 'find_package(Corvane 1 REQUIRED)'
  } > "$project/CMakeLists.txt"
  {
    echo "rule stamp"
    echo "  command = $stamp -t bios -v 1.0.0.2101 -i 8640 \$in \$out"
  } > "$project/direct.ninja"
  mkdir -p "$project/plain"
  {
    echo 'cmake_minimum_required(VERSION 3.20)'
    echo 'project(plain NONE)'
  } > "$project/plain/CMakeLists.txt"
  for ((i = 0; i < n; ++i)); do
    head -c 1000 /dev/urandom > "$project/raw/$i.bin"
    echo "corvane_add_image(image$i KIND bios INPUT raw/$i.bin VERSION 1.0.0.2101 DEVICE_ID 8640)" \
      >> "$project/CMakeLists.txt"
    echo "build $project/direct/$i.bin: stamp $project/raw/$i.bin" >> "$project/direct.ninja"
    printf '%s\n' "add_custom_command(OUTPUT $i.bin COMMAND \${CMAKE_COMMAND} -E copy $project/raw/$i.bin $i.bin DEPENDS $project/raw/$i.bin VERBATIM)" \
      "add_custom_target(copy$i ALL DEPENDS $i.bin)" >> "$project/plain/CMakeLists.txt"
  done
  cmake -S "$project/plain" -B "$project/plain/build" -G Ninja >/dev/null
  ninja -C "$project/plain/build" >/dev/null
  helpers_wall=() helpers_cpu=() direct_wall=() direct_cpu=() helpers_noop=() direct_noop=()
  plain_noop=()
  for ((r = 0; r < runs; ++r)); do
    rm -rf "$project/build" "$project/direct" "$project/.ninja_log" && mkdir -p "$project/direct"
    cmake -S "$project" -B "$project/build" -G Ninja "-DCorvane_DIR=$build" >/dev/null
    read -r wall cpu < <(timed ninja -C "$project/build" -j2)
    helpers_wall+=("$wall") helpers_cpu+=("$cpu")
    read -r wall _ < <(timed ninja -C "$project/build" -j2)
    helpers_noop+=("$wall")
    read -r wall cpu < <(cd "$project" && timed ninja -f direct.ninja -j2)
    direct_wall+=("$wall") direct_cpu+=("$cpu")
    read -r wall _ < <(cd "$project" && timed ninja -f direct.ninja -j2)
    direct_noop+=("$wall")
    read -r wall _ < <(timed ninja -C "$project/plain/build" -j2)
    plain_noop+=("$wall")
  done
  hw=$(median "${helpers_wall[@]}") dw=$(median "${direct_wall[@]}")
  hc=$(median "${helpers_cpu[@]}") dc=$(median "${direct_cpu[@]}")
  hn=$(median "${helpers_noop[@]}") dn=$(median "${direct_noop[@]}") pn=$(median "${plain_noop[@]}")
  awk -v n="$n" -v hw="$hw" -v dw="$dw" -v hc="$hc" -v dc="$dc" -v hn="$hn" -v dn="$dn" -v pn="$pn" 'BEGIN {
    printf "%-8d %12.3f %12.3f %7.2f %13.2fms %13.2fms %11.3fs %11.3fs %11.3fs\n", n, hw, dw,
           hw / dw, hc * 1000 / n, dc * 1000 / n, hn, dn, pn }'
done

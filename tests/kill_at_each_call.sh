#!/bin/sh
# kill_at_each_call.sh FILE OLD NEW COMMAND...: runs COMMAND under strace to list its system calls,
# then again, killed (SIGKILL, as a power cut or an out-of-memory kill stops a build) at each of
# them in turn; after each run, FILE must be OLD or NEW, whole. FILE starts as OLD. At the end
# COMMAND runs to its end, FILE must be NEW, and nothing the killed runs left beside it (.NAME.*,
# in its folder) may be there any more.
set -u
file=$1 old=$2 new=$3
shift 3
strace -f -qq -o .calls "$@" >/dev/null 2>&1 && cmp -s "$file" "$new" || { echo "the run fails"; exit 1; }
cp "$old" "$file"
sed -e 's/^[0-9]* *//' -e 's/(.*//' .calls | awk '{ print $0, ++seen[$0] }' > .each
while read -r call count; do
  strace -f -qq -o /dev/null -e inject="$call:signal=KILL:when=$count" "$@" >/dev/null 2>&1
  cmp -s "$file" "$old" || cmp -s "$file" "$new" || { echo "killed at $call $count: $file is a part"; exit 1; }
done < .each
"$@" && cmp -s "$file" "$new" || { echo "the last run fails"; exit 1; }
rm -f .calls .each
for left in "$(dirname "$file")/.$(basename "$file")".*; do
  [ ! -e "$left" ] || { echo "left behind: $left"; exit 1; }
done

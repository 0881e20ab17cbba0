#!/usr/bin/env bash
# Fails when a folder includes a header from a folder it may not use: each
# folder may use itself and the folders listed after it, so that the tools sit
# on top and the image format, which knows no file and no console, at the bottom.
set -u
cd "${1:?source directory}" || exit 2
declare -A may_use=(
  [image]="image"
  [io]="io image"
  [verify]="verify io image"
  [report]="report verify image"
  [stamp]="stamp report io image"
  [tools/corvane]="tools/corvane tools stamp report io image"
  [tools/corvane-verify]="tools/corvane-verify tools verify report io image"
)
status=0
for folder in "${!may_use[@]}"; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file line used; do
    ok=0
    for allowed in ${may_use[$folder]}; do
      # tools/version.h is the generated version header; tools/<tool>/ only for that tool.
      case "$used" in
        "$allowed"/*) [ "$allowed" != tools ] || [ "$used" = tools/version.h ] && ok=1 ;;
      esac
    done
    if [ $ok -eq 0 ]; then
      echo "$file:$line: $folder/ may not use $used"
      status=1
    fi
  done < <(grep -n -o -E '^#include "[^"]+"' "$folder"/*.h "$folder"/*.cpp 2>/dev/null |
           sed -E 's/#include "([^"]+)"/\1/')
done
[ $status -eq 0 ] && echo "every include follows the layers"
exit $status

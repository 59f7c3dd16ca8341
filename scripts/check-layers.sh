#!/usr/bin/env bash
# Fails on an #include that crosses a layer. The layers and what each may use
# are read from the knockbox_layer(...) calls in <root>/src/CMakeLists.txt; a
# file in src/<layer>/ may include "<layer>/..." and "<used>/..." only, and
# the programs' entries (src/*.cpp) any layer. Prints every offending line.
#   scripts/check-layers.sh [root]   (default: the repository)
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cmake_file="$root/src/CMakeLists.txt"
[[ -f "$cmake_file" ]] || { echo "check-layers: no $cmake_file" >&2; exit 2; }

declare -A allowed
while read -r name uses; do
  allowed[$name]="$name $uses"
done < <(sed -n 's/^knockbox_layer(\([a-z_]*\)\( USES \)\{0,1\}\([a-z_ ]*\)).*/\1 \3/p' "$cmake_file")
entries="${!allowed[*]}"  # a program's entry may set up anything first

status=0
while IFS= read -r -d '' file; do
  relative=${file#"$root/src/"}
  layer=${relative%%/*}
  [[ "$relative" == */* ]] || allowed[$layer]=$entries
  if [[ -z "${allowed[$layer]+set}" ]]; then
    echo "$relative: folder '$layer' is not a declared layer" >&2
    status=1
    continue
  fi
  while IFS=: read -r line target; do
    used=${target%%/*}
    [[ " ${allowed[$layer]} " == *" $used "* ]] && continue
    echo "$relative:$line: includes \"$target\", but $layer uses only: ${allowed[$layer]}" >&2
    status=1
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
           sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1:\2/' || true)
done < <(find "$root/src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.mm' \) -print0)
exit $status

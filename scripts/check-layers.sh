#!/usr/bin/env bash
# Checks that the layers under the user interface include none of it: the
# system, the core, the areas, the wipe engine (its page apart), the update
# check, the command line and the browser module name no header of forms/,
# app/, traces/, view/ or the wipe page. Lists every such include and fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top/src"
mapfile -t files < <(find platform core areas erase update cli browsers -type f \
                       \( -name '*.h' -o -name '*.cpp' \) ! -name 'wipe_page.*' | sort)
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](forms|app|traces|view)/|^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]erase/wipe_page\.h'
if bad=$(grep -HnE "$pattern" "${files[@]}"); then
  echo "layer check: the user interface is included below it:"
  printf '  src/%s\n' "$bad"
  exit 1
fi
echo "layer check: ${#files[@]} files below the user interface, none includes it"

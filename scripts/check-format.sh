#!/usr/bin/env bash
# Checks that every C++ file under src/, tests/ and bench/ is formatted as the
# repository's .clang-format says; lists those that are not and fails.
# `scripts/check-format.sh --fix` formats them in place instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
                       'bench/*.cpp' 'bench/*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
echo "format check: ${#files[@]} files, ${#bad[@]} not formatted"
if [ ${#bad[@]} -ne 0 ]; then
  printf '  %s\n' "${bad[@]}"
  echo "run: scripts/check-format.sh --fix"
  exit 1
fi

#!/usr/bin/env bash
# Checks that every C++ source under version control is laid out as the
# .clang-format files say; --fix lays them out instead.
# Usage: scripts/check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format.sh: clang-format is not installed" >&2; exit 1; }
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i --style=file "${sources[@]}"
  exit
fi
unformatted=()
for source in "${sources[@]}"; do
  clang-format --dry-run -Werror --style=file "$source" >/dev/null 2>&1 || unformatted+=("$source")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'not laid out as .clang-format says: %s\n' "${unformatted[@]}" >&2
  echo "format: ${#unformatted[@]} of ${#sources[@]} files differ (scripts/check-format.sh --fix lays them out)" >&2
  exit 1
fi
echo "format: all ${#sources[@]} files laid out as .clang-format says"

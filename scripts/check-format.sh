#!/usr/bin/env bash
# Checks that every C++ source is laid out as .clang-format says (the layout CI enforces); with --fix,
# lays them out so.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
else
    clang-format --dry-run --Werror "${files[@]}"
fi

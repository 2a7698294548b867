#!/usr/bin/env bash
# Checks (or, with --fix, applies) the project's formatting (.clang-format, in
# JUCE's style) on the C++ files of source/, tests/ and benchmarks/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Versions of clang-format format differently: the style is written for 14.
format=$(command -v clang-format-14 || command -v clang-format || true)
[ -n "$format" ] || { echo "check-format: clang-format is not installed" >&2; exit 1; }

mapfile -t files < <(find source tests benchmarks -name '*.cpp' -o -name '*.h' | sort)

if [ "${1:-}" = "--fix" ]; then
    "$format" -i --style=file "${files[@]}"
else
    "$format" --dry-run --Werror --style=file "${files[@]}"
fi

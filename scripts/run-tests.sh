#!/usr/bin/env bash
# Runs every test of a build folder. Tests that need a real window get one:
# without a display they all run on a private virtual screen.
set -euo pipefail
# Further arguments go to ctest (e.g. -E REGEX to leave tests out).
build_dir=${1:-build}
shift || true
here=$(cd "$(dirname "$0")" && pwd)
"$here/run-with-display.sh" ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@"

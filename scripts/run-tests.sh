#!/usr/bin/env bash
# Runs every test of a build folder. Tests that need a real window get one:
# without a display they all run on a private virtual screen.
set -euo pipefail
build_dir=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
"$here/run-with-display.sh" ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"

#!/usr/bin/env bash
# Runs every benchmark warmed up and repeated (in random order, so that no
# figure depends on what ran before it), times midicsv on the same synthetic
# file the reader is measured on, and prints the medians beside their budgets
# and baselines, as BENCHMARKS.md shows them.
#
#   scripts/run-benchmarks.sh [BUILD_FOLDER] [REPETITIONS] [BENCHMARK ARGUMENTS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
repetitions=${2:-5}
shift $(($# < 2 ? $# : 2))

bin=$build/benchmarks/CarvolinBenchmarks
results=$build/benchmarks/results.json
synthetic=$build/benchmarks/synthetic-1m.mid

"$root/scripts/run-with-display.sh" "$bin" \
    --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
    --benchmark_min_warmup_time=0.2 --benchmark_report_aggregates_only=true \
    --benchmark_out="$results" --benchmark_out_format=json "$@"

"$bin" --write-synthetic-midi "$synthetic"
python3 "$root/scripts/benchmark-report.py" "$results" "$synthetic" "$repetitions"

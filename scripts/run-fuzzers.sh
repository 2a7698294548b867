#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a while.
#
#   scripts/run-fuzzers.sh [SECONDS_PER_TARGET] [BUILD_FOLDER]
#
# Seeds: the MIDI files in tests/fuzz/seeds/midi and ../shared/midi-corpus (when
# present), and the state blobs, documents and playback scripts in tests/fuzz/seeds. Every input kept in
# tests/fuzz/regressions/<target>/ is run first: each one crashed once.
# New crashes are written to BUILD_FOLDER/findings/<target>/.
set -euo pipefail
seconds=${1:-60}
build=${2:-build-sanitizers}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# A build folder made by "make test-sanitizers" is used as it is.
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARVOLIN_FUZZ=ON \
        -DCARVOLIN_BUILD_TESTS=OFF -DCARVOLIN_BUILD_BENCHMARKS=OFF -DCARVOLIN_BUILD_HOST_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target CarvolinFuzzMidiReader CarvolinFuzzMidiReaderDifferential CarvolinFuzzStateBlob CarvolinFuzzStateDocument CarvolinFuzzPlayback

corpus_dir=$root/../shared/midi-corpus
status=0
found=0
for target in ${FUZZ_TARGETS:-MidiReader MidiReaderDifferential StateBlob StateDocument Playback}; do
    work=$build/corpus/$target
    findings=$build/findings/$target
    mkdir -p "$work" "$findings"
    case $target in
        MidiReader | MidiReaderDifferential)
            cp -n tests/fuzz/seeds/midi/* "$work/"
            [ -d "$corpus_dir" ] && find "$corpus_dir" -type f -exec cp -n {} "$work/" \; ;;
        StateBlob) cp -n tests/fuzz/seeds/state/* "$work/" ;;
        StateDocument) cp -n tests/fuzz/seeds/document/* "$work/" ;;
        Playback) cp -n tests/fuzz/seeds/playback/* "$work/" ;;
    esac

    run=("$build/tests/fuzz/CarvolinFuzz$target")
    regressions=tests/fuzz/regressions/$target
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        echo "== $target: regression inputs"
        scripts/run-with-display.sh "${run[@]}" "$regressions"/* || { echo "run-fuzzers: a kept input fails again" >&2; status=1; }
    fi

    echo "== $target: fuzzing for $seconds s"
    scripts/run-with-display.sh "${run[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -artifact_prefix="$findings/" -print_final_stats=1 "$work" 2>"$build/$target.log" || found=1
    tail -n 12 "$build/$target.log" | grep -E "stat::number_of_executed_units|stat::peak_rss|Done|ERROR|SUMMARY" || true
done

# A new finding is reported, not failed on: it goes into tests/fuzz/regressions
# with its mend, and from then on fails the run if it comes back.
if [ $found -ne 0 ]; then
    echo "run-fuzzers: WARNING: new failing inputs in $build/findings (see $build/*.log)" >&2
    ls -R "$build/findings" >&2
fi
exit $status

#!/usr/bin/env python3
"""Prints the medians of a benchmark run beside their budgets and baselines.

    benchmark-report.py RESULTS.json SYNTHETIC.mid REPETITIONS

RESULTS.json is Google Benchmark's JSON output of a run with repetitions;
SYNTHETIC.mid the reader's synthetic file, on which midicsv is timed here
(its processor time, user and system, median of REPETITIONS runs).
"""
import json
import platform
import resource
import shutil
import statistics
import subprocess
import sys

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def medians(path):
    """Median seconds per benchmark: the manual time where a benchmark times
    itself (frames), the processor time otherwise."""
    with open(path) as f:
        data = json.load(f)
    result = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"].replace("/iterations:100", "").replace("/iterations:120", "").replace("/manual_time", "")
        key = "real_time" if "manual_time" in b["run_name"] else "cpu_time"
        result[name] = b[key] * UNIT[b["time_unit"]]
    return data["context"], result


def midicsv_seconds(path, repetitions):
    if shutil.which("midicsv") is None:
        return None
    times = []
    for _ in range(repetitions + 1):  # the first run warms the file cache and is dropped
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(["midicsv", path, "/dev/null"], check=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        times.append((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime))
    return statistics.median(times[1:])


def show(seconds):
    if seconds is None:
        return "-"
    if seconds >= 1e-3:
        return f"{seconds * 1e3:.2f} ms"
    return f"{seconds * 1e6:.1f} us"


def main():
    results, synthetic, repetitions = sys.argv[1], sys.argv[2], int(sys.argv[3])
    context, m = medians(results)
    m["midicsv (CPU time)"] = midicsv_seconds(synthetic, repetitions)

    print()
    print(f"Machine: {context.get('num_cpus')} CPUs at {context.get('mhz_per_cpu')} MHz, {platform.system()} {platform.release()}; "
          f"medians of {repetitions} repetitions, warmed up, in random order.")
    print()
    print("| Benchmark | Median | Budget or baseline |")
    print("|---|---|---|")

    def row(name, note=""):
        if name in m:
            print(f"| `{name}` | {show(m[name])} | {note} |")

    def ratio(a, b):
        return f"{m[b] / m[a]:.2f}" if m.get(a) and m.get(b) else "-"

    row("processBlock", f"`plainBufferClear` {show(m.get('plainBufferClear'))}")
    row("processBlockPlaying", f"`plainBufferClear` {show(m.get('plainBufferClear'))}")
    row("paintEmptyEditor", "baseline of `paintFullEditor`")
    row("paintFullEditor", f"{ratio('paintEmptyEditor', 'paintFullEditor')} x `paintEmptyEditor`")
    row("openEditorOnLargestArrangement", "budget 50 ms")
    row("pianoRollNoNotes/hzoom:10/vzoom:10", "baseline of `pianoRoll10000Notes`")
    worst = max((v, k) for k, v in m.items() if k.startswith("pianoRoll10000Notes/") and v is not None) if any(
        k.startswith("pianoRoll10000Notes/") for k in m) else None
    for name in sorted(k for k in m if k.startswith("pianoRoll10000Notes/")):
        row(name, "budget 16 ms" + (" (the slowest zoom)" if worst and worst[1] == name else ""))
    row("noteDragFrame", "budget 4 ms a frame")
    row("clipDragFrame", "budget 4 ms a frame")
    row("rubberBandFrame", "budget 8 ms a frame")
    row("corpusLargestJuceReadFrom", "baseline of `corpusLargestReadMidiFile`")
    row("corpusLargestReadMidiFile", f"{ratio('corpusLargestReadMidiFile', 'corpusLargestJuceReadFrom')} x faster than `juce::MidiFile::readFrom`")
    for n in ("1048576", "4194304"):
        row(f"syntheticJuceReadFrom/{n}", f"baseline of `syntheticReadMidiFile/{n}`")
        row(f"syntheticReadMidiFile/{n}", f"{ratio(f'syntheticReadMidiFile/{n}', f'syntheticJuceReadFrom/{n}')} x faster than `juce::MidiFile::readFrom`"
            + (f"; {ratio(f'syntheticReadMidiFile/{n}', 'midicsv (CPU time)')} x faster than midicsv (goal: 2)" if n == "1048576" else ""))
    row("midicsv (CPU time)", "midicsv on the same 1,048,576-event file")
    shown = {"processBlock", "processBlockPlaying", "plainBufferClear", "paintEmptyEditor", "paintFullEditor",
             "openEditorOnLargestArrangement", "noteDragFrame", "clipDragFrame", "rubberBandFrame",
             "corpusLargestJuceReadFrom", "corpusLargestReadMidiFile", "midicsv (CPU time)", "pianoRollNoNotes/hzoom:10/vzoom:10"}
    for name in sorted(m):
        if name not in shown and not name.startswith(("pianoRoll10000Notes/", "synthetic")):
            row(name)


if __name__ == "__main__":
    main()

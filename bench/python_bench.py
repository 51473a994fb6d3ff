#!/usr/bin/python3
"""The Python module against a pure-Python MIDI reader, side by side.

    PYTHONPATH=build/python bench/python_bench.py [SCORE.mid]

1. morvane.translate of the largest standard MIDI file of the corpus (or
   SCORE.mid) against mido.MidiFile reading it (python3-mido: reading
   only, no pairing of notes): median wall time of each, and the ratio.
   Target: morvane at least 100 times faster.
2. The cost of one call on a score of 400 events (a file made here, 200
   notes on and off), by path and by bytes: median over batches of calls.
   Target: under 0.3 ms a call.

Medians, not means: the machine is shared, and a run that another process
interrupts says nothing about the module.
"""

import pathlib
import statistics
import sys
import tempfile
import time

import mido

import morvane

ROOT = pathlib.Path(__file__).resolve().parents[1]
CORPORA = [pathlib.Path("/work/shared/corpus"), ROOT / "tests" / "data" / "corpus"]


def largest_midi_file():
    files = [p for folder in CORPORA if folder.is_dir()
             for p in folder.glob("*.mid")]
    return max(files, key=lambda p: p.stat().st_size)


def seconds(call, repeats, per_batch=1):
    """Median and least wall time of one call, over repeats batches of
    per_batch."""
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        for _ in range(per_batch):
            call()
        times.append((time.perf_counter() - start) / per_batch)
    return statistics.median(times), min(times)


def show(name, times):
    print("  %-18s %9.3f ms  (least %.3f ms)" % (name, times[0] * 1e3,
                                                 times[1] * 1e3))


def four_hundred_events(path):
    """Writes a one-track score of 200 notes (400 events) at path."""
    track = mido.MidiTrack([mido.MetaMessage("track_name", name="Solo Flute")])
    for i in range(200):
        track.append(mido.Message("note_on", note=48 + i % 36, velocity=80,
                                  time=0))
        track.append(mido.Message("note_off", note=48 + i % 36, velocity=64,
                                  time=120))
    # Format 0: its one track's name names an instrument.
    score = mido.MidiFile(type=0, ticks_per_beat=480)
    score.tracks.append(track)
    score.save(path)


def main():
    score = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else largest_midi_file()
    events = sum(len(track) for track in mido.MidiFile(score).tracks)
    # In turns, so that both meet the same load of the machine.
    ours, theirs = [], []
    for _ in range(9):
        theirs.append(seconds(lambda: mido.MidiFile(score), 1)[0])
        ours += [seconds(lambda: morvane.translate(score), 1)[0]
                 for _ in range(5)]
    ours = statistics.median(ours), min(ours)
    theirs = statistics.median(theirs), min(theirs)
    print("%s: %d bytes, %d events (mido's count)" % (
        score, score.stat().st_size, events))
    show("morvane.translate", ours)
    show("mido.MidiFile", theirs)
    print("  ratio of medians   %9.0f x   (least: %.0f x; target: at least "
          "100)" % (theirs[0] / ours[0], theirs[1] / ours[1]))
    with tempfile.TemporaryDirectory() as folder:
        small = pathlib.Path(folder, "four_hundred.mid")
        four_hundred_events(small)
        data = small.read_bytes()
        assert len(morvane.translate(small)) == 200
        by_path = seconds(lambda: morvane.translate(small), 21, 200)
        by_bytes = seconds(lambda: morvane.translate(data), 21, 200)
    print("400 events, one call (target: under 0.300 ms):")
    show("by path", by_path)
    show("by bytes", by_bytes)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Checks that morvane's note list of every standard MIDI file in a folder
holds exactly the notes a MIDI library (mido) reads from the same file.

    mido_check.py MORVANE CORPUS_DIR [--all-tracks]

The notes mido gives are paired by the rule a player follows: all the
instrument tracks merged into one stream in file order (by time, then
track, then position in the track); a note off (or note on of velocity 0)
closes every sounding note of its channel and key begun at an earlier tick
or, when there is none, those begun before it at its own tick. Times pass
through single precision as morvane's time ordering passes them. The
instrument tracks are those named at tick 0 (in a format 0 file, by its
sequence name), each from its name on and with the notes of tick 0 it lists
before its name (not those before an end of track); with --all-tracks, every
track.
Exits 1 and says which file and note differ.
"""
import decimal
import os
import struct
import subprocess
import sys
import tempfile

import mido


def single(x):
    """x rounded to the nearest single-precision value."""
    return struct.unpack("f", struct.pack("f", x))[0]


def ticks_through_single(t):
    return min(int(single(float(t))), 2**31 - 1)


def fixed3(x):
    """%4.3f with halves rounded away from zero, a minus sign kept on -0."""
    d = decimal.Decimal(x).quantize(decimal.Decimal("0.001"),
                                    rounding=decimal.ROUND_HALF_UP)
    text = "%.3f" % d
    if x < 0 and not text.startswith("-"):
        text = "-" + text
    return text


def read_midi(path):
    # Clipping keeps system-exclusive bytes above 127 from stopping the read;
    # notes do not pass through it.
    return mido.MidiFile(path, clip=True)


def instrument_events(midi, all_tracks):
    """(rounded time, track, position, message) of the instrument tracks."""
    events = []
    for index, track in enumerate(midi.tracks):
        tick = 0
        named = all_tracks
        waiting = []  # notes of tick 0 before the name; None once too late
        for position, message in enumerate(track):
            tick += message.time
            if tick > 0 or message.type == "end_of_track":
                waiting = None
            if (not named and message.type == "track_name" and tick == 0 and
                    (index > 0 or midi.type == 0)):
                named = True
                events.extend(waiting or [])
                continue
            if message.type in ("note_on", "note_off"):
                event = (ticks_through_single(tick), index, position, message)
                if named:
                    events.append(event)
                elif waiting is not None:
                    waiting.append(event)
    events.sort(key=lambda e: e[:3])
    return events


def expected_lines(path, all_tracks):
    midi = read_midi(path)
    division = midi.ticks_per_beat
    sounding = {}  # (channel, key) -> [[start tick, velocity, line index]]
    notes = []     # [start tick, channel, key, velocity, end tick or None]
    for time, _, _, message in instrument_events(midi, all_tracks):
        key = (message.channel, message.note)
        if message.type == "note_on" and message.velocity > 0:
            notes.append([time, message.channel, message.note,
                          message.velocity, None])
            sounding.setdefault(key, []).append(len(notes) - 1)
            continue
        starts = sounding.get(key, [])
        earlier = [n for n in starts if notes[n][0] < time]
        closing = earlier if earlier else starts
        for n in closing:
            notes[n][4] = time
        sounding[key] = [n for n in starts if n not in closing]
    lines = []
    for start, channel, key, velocity, end in notes:
        start_beats = single(start / division)
        duration = 0.0 if end is None else single(end / division - start_beats)
        lines.append("%s \t%d\t%d\t%d\t%s" % (fixed3(start_beats), channel, key,
                                             velocity, fixed3(duration)))
    return lines


def morvane_lines(morvane, path, all_tracks):
    with tempfile.TemporaryDirectory() as work:
        notes = os.path.join(work, "notes.txt")
        argv = [morvane] + (["--all-tracks"] if all_tracks else []) + [path, notes]
        run = subprocess.run(argv, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
        if run.returncode != 0:
            return None, run.stderr.decode(errors="replace")
        with open(notes, encoding="latin-1") as f:
            lines = [line.rstrip("\r\n") for line in f]
    return [line for line in lines if not line.startswith("//")], ""


def start_of(line):
    return float(line.split(" ")[0])


def main():
    morvane, corpus = sys.argv[1], sys.argv[2]
    all_tracks = "--all-tracks" in sys.argv[3:]
    failures = checked = notes = 0
    for name in sorted(os.listdir(corpus)):
        if not name.endswith(".mid"):
            continue
        path = os.path.join(corpus, name)
        if read_midi(path).ticks_per_beat <= 0:
            continue  # an SMPTE division, which morvane refuses
        got, err = morvane_lines(morvane, path, all_tracks)
        want = expected_lines(path, all_tracks)
        checked += 1
        notes += len(want)
        if got is None:
            print("%s: morvane failed: %s" % (name, err.strip()))
            failures += 1
        elif sorted(got) != sorted(want):
            missing = sorted(set(want) - set(got))[:5]
            extra = sorted(set(got) - set(want))[:5]
            print("%s: %d note lines, mido gives %d; missing %r, extra %r" %
                  (name, len(got), len(want), missing, extra))
            failures += 1
        elif any(start_of(a) > start_of(b) for a, b in zip(got, got[1:])):
            print("%s: note lines out of time order" % name)
            failures += 1
    print("%d files, %d notes checked against mido%s" %
          (checked, notes, " (all tracks)" if all_tracks else ""))
    print("%d passed, %d failed" % (checked - failures, failures))
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())

"""Each note's track and time in seconds, each track's name and the tempo
map, against what a MIDI library (python3-mido) reads from the same file."""

import collections

import mido
import pytest

import morvane
from support import CORPUS

MICROSECOND = 1e-6


def mido_score(path):
    """(track names as bytes, note starts as ((track, channel, key,
    velocity), seconds), seconds(tick, track)) of the MIDI file at path, its
    ticks converted by the standard formula."""
    midi = mido.MidiFile(path, clip=True)
    changes = []  # (tick, track, tempo) in file order
    starts = []   # (tick, track, channel, key, velocity)
    for k, track in enumerate(midi.tracks):
        tick = 0
        for message in track:
            tick += message.time
            if message.type == "set_tempo":
                changes.append((tick, k, message.tempo))
            elif message.type == "note_on" and message.velocity > 0:
                starts.append((tick, k, message.channel, message.note,
                               message.velocity))

    def seconds(tick, track):
        mine = sorted((c for c in changes if midi.type != 2 or c[1] == track),
                      key=lambda c: c[0])
        total, at, tempo = 0.0, 0, 500000
        for when, _, new in mine:
            if when > tick:
                break
            total += mido.tick2second(when - at, midi.ticks_per_beat, tempo)
            at, tempo = when, new
        return total + mido.tick2second(tick - at, midi.ticks_per_beat, tempo)

    names = [t.name.encode("latin-1") for t in midi.tracks]
    notes = [(s[1:], seconds(s[0], s[1])) for s in starts]
    return names, notes, seconds


def unmatched(ours, theirs):
    """The notes of ours with none of theirs of the same track, channel, key
    and velocity starting within a microsecond; each of theirs is matched
    once."""
    pool = collections.defaultdict(list)
    for key, seconds in theirs:
        pool[key].append(seconds)
    left = []
    for key, seconds in ours:
        near = [s for s in pool[key] if abs(s - seconds) <= MICROSECOND]
        if near:
            pool[key].remove(near[0])
        else:
            left.append((key, seconds))
    return left


def our_starts(t):
    starts = t.notes[t.notes["velocity"] > 0]
    return [((int(n["track"]), int(n["channel"]), int(n["key"]),
              int(n["velocity"])), float(n["start_seconds"])) for n in starts]


MIDI_FILES = sorted(p for p in CORPUS.iterdir() if p.suffix == ".mid" and
                    mido.MidiFile(p, clip=True).ticks_per_beat > 0)


# A .mid and its MIDI text rendering give the same tracks, names and times.
@pytest.mark.parametrize("all_tracks", [False, True])
@pytest.mark.parametrize("suffix", [".mid", ".txt"])
@pytest.mark.parametrize("midi", MIDI_FILES, ids=lambda p: p.stem)
def test_corpus_as_mido_reads_it(midi, suffix, all_tracks):
    names, notes, _ = mido_score(midi)
    t = morvane.translate(midi.with_suffix(suffix), all_tracks=all_tracks)
    assert [n.encode("utf-8", "surrogateescape")
            for n in t.track_names] == names
    ours = our_starts(t)
    assert unmatched(ours, notes) == []
    if all_tracks:  # every note of every track
        assert len(ours) == len(notes)


# Tracks of a score whose tempo changes: (tick, kind, value) in tick order.
# Track 0 changes tempo twice at one tick (the last holds); track 1 changes
# it mid-note; a note starts beyond 2^24 ticks, where the time order rounds
# its tick but seconds are exact.
TEMPO_TRACKS = [
    [(0, "tempo", 400000), (96, "tempo", 250000), (96, "tempo", 300000),
     (500, "tempo", 1000000)],
    [(0, "name", 'Lead "A"'), (0, "on", 60), (150, "tempo", 600000),
     (200, "off", 60), (480, "on", 62), (700, "off", 62),
     (2**24 + 1, "on", 64), (2**24 + 97, "off", 64)],
    [(0, "name", "Bass"), (10, "tempo", 700000), (20, "on", 36),
     (600, "off", 36)],
]


def tempo_score(form, tmp_path):
    """TEMPO_TRACKS as a format form MIDI file and as its MIDI text
    rendering: their paths."""
    midi = mido.MidiFile(type=form, ticks_per_beat=96)
    text = ["MFile %d %d 96" % (form, len(TEMPO_TRACKS))]
    for k, events in enumerate(TEMPO_TRACKS):
        track = mido.MidiTrack()
        text.append("MTrk")
        at = 0
        for tick, kind, value in events:
            delta, at = tick - at, tick
            if kind == "tempo":
                track.append(mido.MetaMessage("set_tempo", tempo=value,
                                              time=delta))
                text.append("%d Tempo %d" % (tick, value))
            elif kind == "name":
                track.append(mido.MetaMessage("track_name", name=value,
                                              time=delta))
                text.append('%d Meta %s "%s"' % (
                    tick, "SeqName" if k == 0 else "TrkName",
                    value.replace('"', '\\"')))
            else:
                track.append(mido.Message("note_" + kind, note=value,
                                          velocity=90, time=delta))
                text.append("%d %s ch=1 n=%d v=90" % (
                    tick, kind.capitalize(), value))
        text += ["%d Meta TrkEnd" % at, "TrkEnd"]
        midi.tracks.append(track)
    midi.save(tmp_path / "tempo.mid")
    (tmp_path / "tempo.txt").write_text("\n".join(text) + "\n")
    return tmp_path / "tempo.mid", tmp_path / "tempo.txt"


@pytest.mark.parametrize("form", [1, 2])
def test_tempo_changes_as_mido_reads_them(form, tmp_path):
    midi, text = tempo_score(form, tmp_path)
    names, notes, seconds = mido_score(midi)
    for score in (midi, text):
        t = morvane.translate(score)
        assert t.format == form
        assert [n.encode() for n in t.track_names] == names
        assert unmatched(our_starts(t), notes) == []
        assert len(t) == len(notes)
        # Each note's end, found by its key, at its tick of the same track.
        for n in t.notes:
            track = TEMPO_TRACKS[n["track"]]
            end = next(tick for tick, kind, key in track
                       if kind == "off" and key == n["key"])
            assert n["duration_seconds"] == pytest.approx(
                seconds(end, n["track"]) - n["start_seconds"], abs=MICROSECOND)
        changes = [(tick, value, k) for k, events in enumerate(TEMPO_TRACKS)
                   for tick, kind, value in events if kind == "tempo"]
        order = (lambda c: (c[2], c[0])) if form == 2 else (lambda c: c[0])
        assert [(int(r["ticks"]), int(r["microseconds_per_quarter"]),
                 int(r["track"])) for r in t.tempo_map] == sorted(changes,
                                                                  key=order)
        for r in t.tempo_map:
            assert r["seconds"] == pytest.approx(
                seconds(r["ticks"], r["track"]), abs=MICROSECOND)


def test_lines_before_the_first_track_are_track_0():
    t = morvane.translate(
        b"MFile 1 2 96\n0 Meta TrkName Solo Flute\n0 On ch=1 n=60 v=90\n"
        b"MTrk\n48 On ch=1 n=62 v=90\n96 Meta TrkName \"Late\"\n"
        b"96 Meta TrkEnd\nTrkEnd\nMTrk\n0 Meta TrkName \"B\"\n"
        b"0 On ch=1 n=64 v=90\n")
    assert t.track_names == ["Solo Flute", "B"]
    assert sorted(zip(t.notes["key"], t.notes["track"])) == [
        (60, 0), (62, 0), (64, 1)]

"""The module `morvane` against the command, byte for byte."""

import concurrent.futures
import os
import pathlib

import numpy as np
import pytest

import morvane
from support import CORPUS, SCORES, note_line, run_command

LIST = "<memory>"  # what translate() names its note list


@pytest.mark.parametrize("all_tracks", [False, True])
@pytest.mark.parametrize("score", SCORES, ids=lambda p: p.name)
def test_same_as_command(score, all_tracks, tmp_path, monkeypatch):
    (tmp_path / "command").mkdir()
    (tmp_path / "module").mkdir()
    status, console, _, note_list = run_command(score, LIST,
                                                tmp_path / "command",
                                                all_tracks)
    monkeypatch.chdir(tmp_path / "module")
    # The ways in: a path as str, the bytes, and both written to a file
    # through the command's own run (the pathlib path last: its list is
    # the one compared with the command's file); each with the name the
    # score has in messages.
    calls = [
        (str(score), lambda: morvane.translate(str(score),
                                               all_tracks=all_tracks)),
        ("<bytes>", lambda: morvane.translate(score.read_bytes(),
                                              all_tracks=all_tracks)),
        ("<bytes>", lambda: morvane.write_note_list(score.read_bytes(), LIST,
                                                    all_tracks=all_tracks)),
        (str(score), lambda: morvane.write_note_list(score, LIST,
                                                     all_tracks=all_tracks)),
    ]
    if status != 0:  # a score the command refuses (an SMPTE division)
        for name, call in calls:
            with pytest.raises(morvane.ScoreError) as caught:
                call()
            assert caught.value.status == status
            assert caught.value.console == console.replace(str(score), name)
        return
    results = [call() for _, call in calls]
    assert pathlib.Path(LIST).read_bytes() == note_list
    for t in results:
        assert t.note_list == note_list
        assert t.console == console
    t = results[0]
    text = note_list.decode("utf-8", "surrogateescape").splitlines()
    lines = [line for line in text if not line.startswith("//")]
    assert [note_line(row) for row in t.notes] == lines
    assert len(t) == len(lines)
    assert t.instruments == [line[len("// Instrument "):] for line in text
                             if line.startswith("// Instrument ")]
    passed = [line for line in console.splitlines() if "Passed over" in line]
    assert t.passed_over == (int(passed[0].split()[2]) if passed else 0)
    for other in results[1:]:
        assert other.notes.tobytes() == t.notes.tobytes()


# A one-note score: division 3, a note from tick 1 to tick 2.
THIRDS = (b"MFile 1 1 3\nMTrk\n0 Meta TrkName Solo Flute\n"
          b"1 On ch=3 n=60 v=90\n2 On ch=3 n=60 v=0\n2 Meta TrkEnd\nTrkEnd\n")


def test_fields_keep_unrounded_numbers():
    t = morvane.translate(THIRDS)
    assert (t.division, t.instruments, t.passed_over, len(t)) == (
        3, ["Solo Flute"], 0, 1)
    assert t.note_list.endswith(b"0.333 \t2\t60\t90\t0.333\n")
    row = t.notes[0]
    # The single-precision values the list was formatted from, not 0.333.
    assert row["start"] == float(np.float32(1 / 3))
    # The end in beats in double precision, less the start, made single.
    assert row["duration"] == float(np.float32(2 / 3 - row["start"]))
    assert t.notes.dtype.names == ("start", "duration", "channel", "key",
                                   "velocity")
    assert [t.notes.dtype[f] for f in ("start", "key", "velocity")] == [
        np.float64, np.int32, np.int32]
    # No regular file to read the list back from.
    assert morvane.write_note_list(THIRDS, os.devnull).note_list is None


MIDI_HEADER = b"MThd\x00\x00\x00\x06\x00\x01\x00\x01\x01\xe0"
FAILING_SCORES = [
    ("damaged.mid", MIDI_HEADER + b"MTrk\x00\x00\x00\x10\x00\x90\x3c"),
    ("no_score.txt", b"hello\nworld\n"),
    ("out_of_range.txt", b"MFile 1 1 480\nMTrk\n0 Meta TrkName A B\n"
                         b"99999999999 On ch=1 n=60 v=64\n"),
    ("division_0.txt", b"MFile 1 1 0\nMTrk\n"),
]


@pytest.mark.parametrize("name,content", FAILING_SCORES,
                         ids=[n for n, _ in FAILING_SCORES])
def test_score_errors_as_command(name, content, tmp_path, capfd):
    score = tmp_path / name
    score.write_bytes(content)
    status, console, message, _ = run_command(score, "out.notes", tmp_path)
    assert status == 1
    for call in (lambda: morvane.translate(score),
                 lambda: morvane.write_note_list(str(score),
                                                 tmp_path / "new.notes")):
        with pytest.raises(morvane.ScoreError) as caught:
            call()
        assert str(caught.value) == message.strip()
        assert caught.value.status == status
        assert caught.value.console == console
    assert isinstance(caught.value, ValueError)
    with pytest.raises(morvane.ScoreError):
        morvane.translate(content)
    assert capfd.readouterr() == ("", "")


def test_file_errors(tmp_path, capfd):
    score = CORPUS / "chords.mid"
    missing = tmp_path / "missing.mid"
    cases = [
        (lambda: morvane.translate(missing), FileNotFoundError, missing),
        (lambda: morvane.translate(str(tmp_path)), IsADirectoryError,
         str(tmp_path)),
        (lambda: morvane.write_note_list(missing, tmp_path / "x.notes"),
         FileNotFoundError, missing),
        (lambda: morvane.write_note_list(score, tmp_path / "no" / "x.notes"),
         FileNotFoundError, tmp_path / "no" / "x.notes"),
        (lambda: morvane.write_note_list(score, tmp_path), IsADirectoryError,
         tmp_path),
    ]
    for call, kind, name in cases:
        with pytest.raises(kind) as caught:
            call()
        assert caught.value.filename == os.fspath(name)
    with pytest.raises(morvane.ScoreError, match="it is the input score"):
        morvane.write_note_list(score, score)
    with pytest.raises(TypeError):
        morvane.translate(42)
    released = memoryview(b"MThd")
    released.release()
    with pytest.raises(ValueError):
        morvane.translate(released)
    with pytest.raises(ValueError, match="null"):
        morvane.write_note_list(score, str(tmp_path / "x") + "\0y")
    monkeypatch_dir = os.getcwd()
    os.chdir(tmp_path)
    try:  # a score named like an option is a file all the same
        with pytest.raises(FileNotFoundError):
            morvane.write_note_list("-a", "x.notes")
    finally:
        os.chdir(monkeypatch_dir)
    assert capfd.readouterr() == ("", "")


def test_threads_give_what_one_by_one_gives():
    def outcome(score):
        try:
            t = morvane.translate(score, all_tracks=score.suffix == ".txt")
        except morvane.ScoreError as error:
            return error.console
        return t.note_list, t.console, t.notes.tobytes()

    scores = SCORES * 4
    alone = [outcome(s) for s in scores]
    with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
        assert list(pool.map(outcome, scores)) == alone

"""The module `morvane` against the command, byte for byte."""

import concurrent.futures
import errno
import os
import pathlib
import resource
import subprocess
import sys

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
        assert other.tempo_map.tobytes() == t.tempo_map.tobytes()
        assert other.track_names == t.track_names


# A one-note score: division 3, a note from tick 1 to tick 2.
THIRDS = (b"MFile 1 1 3\nMTrk\n0 Meta TrkName Solo Flute\n"
          b"1 On ch=3 n=60 v=90\n2 On ch=3 n=60 v=0\n2 Meta TrkEnd\nTrkEnd\n")


def test_fields_keep_unrounded_numbers():
    t = morvane.translate(THIRDS)
    assert (t.division, t.instruments, t.passed_over, len(t)) == (
        3, ["Solo Flute"], 0, 1)
    assert t.track_names == ["Solo Flute"]  # a name without quote marks
    assert t.note_list.endswith(b"0.333 \t2\t60\t90\t0.333\n")
    row = t.notes[0]
    # The single-precision values the list was formatted from, not 0.333.
    assert row["start"] == float(np.float32(1 / 3))
    # The end in beats in double precision, less the start, made single.
    assert row["duration"] == float(np.float32(2 / 3 - row["start"]))
    assert t.notes.dtype.names == ("start", "duration", "channel", "key",
                                   "velocity", "track", "start_seconds",
                                   "duration_seconds")
    assert [t.notes.dtype[f] for f in ("start", "key", "velocity")] == [
        np.float64, np.int32, np.int32]
    # The list this call wrote, though the file keeps nothing of it.
    assert morvane.write_note_list(THIRDS, os.devnull).note_list == t.note_list


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


def test_system_reasons(tmp_path):
    """Each failure of a file raises the system's own reason, with its
    errno and the file's name, as the run found them."""
    score = CORPUS / "chords.mid"
    loop = tmp_path / "loop"
    loop.symlink_to(loop)
    cases = [  # call, exception, errno, filename
        (lambda: morvane.write_note_list(score, "/dev/full"), OSError,
         errno.ENOSPC, "/dev/full"),
        (lambda: morvane.translate(loop), OSError, errno.ELOOP, loop),
        (lambda: morvane.write_note_list(score, loop), OSError, errno.ELOOP,
         loop),
        # Reading at address 0 of one's own memory fails as a device would.
        (lambda: morvane.translate("/proc/self/mem"), OSError, errno.EIO,
         "/proc/self/mem"),
    ]
    for call, kind, number, name in cases:
        with pytest.raises(kind) as caught:
            call()
        assert (caught.value.errno, caught.value.filename) == (
            number, os.fspath(name)), caught.value


@pytest.mark.parametrize("sync,calls", [
    (False, ["rename"]),
    (True, ["fdatasync", "rename", "fsync"]),
])
def test_sync_flushes_before_and_after_the_rename(sync, calls, tmp_path):
    """sync=True: the list reaches the disk before the rename, and its folder
    after it, as `morvane --sync` does; without it nothing is flushed."""
    trace = tmp_path / "trace"
    program = ("import morvane, sys; morvane.write_note_list(sys.argv[1], "
               "sys.argv[2], sync=%r)" % sync)
    subprocess.run(["strace", "-f", "-qq", "-o", str(trace), "-e",
                    "trace=fsync,fdatasync,rename,renameat,renameat2",
                    sys.executable, "-c", program, str(CORPUS / "chords.mid"),
                    str(tmp_path / "x.notes")], check=True)
    made = [line.split()[1].split("(")[0] for line in
            trace.read_text().splitlines() if "exited" not in line]
    assert [c.replace("renameat2", "rename").replace("renameat", "rename")
            for c in made] == calls
    assert (tmp_path / "x.notes").read_bytes() == morvane.translate(
        CORPUS / "chords.mid").note_list


def in_child(body):
    """body() in a forked child; its exit status (0: its checks held)."""
    pid = os.fork()
    if pid == 0:
        status = 1
        try:
            status = 0 if body() else 3
        finally:
            os._exit(status)
    return os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])


def test_permission_and_memory(tmp_path):
    locked = tmp_path / "locked.txt"
    locked.write_bytes(THIRDS)
    locked.chmod(0)

    def refused():  # root may read any file: be someone else first
        if os.geteuid() == 0:
            os.setgid(65534)
            os.setuid(65534)
        try:
            morvane.translate(locked)
        except PermissionError as error:
            return (error.errno, error.filename) == (errno.EACCES, str(locked))
        return False

    big = tmp_path / "big.txt"  # read by the run, in blocks
    big.write_bytes(THIRDS.replace(b"1 On", b"1 On ch=3 n=60 v=90\n" *
                                   2000000 + b"1 On"))

    def starved():
        soft, hard = resource.getrlimit(resource.RLIMIT_AS)
        used = int(open("/proc/self/statm").read().split()[0]) * os.sysconf(
            "SC_PAGE_SIZE")
        resource.setrlimit(resource.RLIMIT_AS, (used + (16 << 20), hard))
        del soft
        try:
            morvane.translate(big)
        except MemoryError as error:
            return "memory" in str(error).lower()
        return False

    os.chmod(tmp_path, 0o755)
    assert in_child(refused) == 0
    assert in_child(starved) == 0


def test_each_call_returns_its_own_list(tmp_path):
    """Writers of one name at once: each call's list is its own score's,
    whatever the file holds when it returns."""
    scores = [s for s in SCORES if s.suffix == ".txt"][:8]
    target = tmp_path / "shared.notes"
    wanted = [morvane.translate(s, all_tracks=True).note_list for s in scores]
    with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
        for _ in range(4):
            got = pool.map(lambda s: morvane.write_note_list(
                s, target, all_tracks=True).note_list, scores)
            assert list(got) == wanted


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

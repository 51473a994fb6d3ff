#!/usr/bin/python3
"""Runs the built morvane-batch as a user would and holds it to the single
morvane runs it stands for: the same note lists byte for byte, the same
messages, and the counts its summary and report give.

    batch_test.py GROUP MORVANE_BATCH MORVANE GENERATE_SCORE CORPUS WORK_DIR

GROUP is one of identity, failures, resume, statuses, up_to_date, inputs,
interruption, report (one CTest test each).
"""
import csv
import io
import os
import pty
import re
import resource
import shutil
import signal
import subprocess
import sys
import time

BATCH, MORVANE, GENERATE, CORPUS, WORK = sys.argv[2:7]
failures = []
# Scores are given a time well before any run: a score changed in the clock
# tick its translation starts in is not recorded, and is translated again.
OLD = time.time() - 3600
TEMPORARY = re.compile(r"\.morvane-\d+-[A-Za-z0-9]{6}$")


def check(condition, what):
    if not condition:
        failures.append(what)


def fresh(name):
    path = os.path.join(WORK, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def batch(cwd, *args, stderr=subprocess.PIPE, **popen):
    child = subprocess.run([BATCH] + list(args), cwd=cwd, stdout=subprocess.PIPE,
                           stderr=stderr, **popen)
    return child.returncode, child.stdout.decode("latin-1"), (
        child.stderr or b"").decode("latin-1")


def single(cwd, score, all_tracks=False):
    """What `morvane [--all-tracks] score notes` gives: status, note list
    (None when it failed), its standard error."""
    notes = os.path.join(cwd, ".single.notes")
    if os.path.exists(notes):
        os.remove(notes)
    child = subprocess.run([MORVANE] + (["--all-tracks"] if all_tracks else []) +
                           [score, notes], cwd=cwd, capture_output=True)
    err = child.stderr.decode("latin-1")
    if child.returncode != 0:
        return child.returncode, None, " ".join(err.split())
    with open(notes, "rb") as f:
        return 0, f.read(), err


def read(path):
    with open(path, "rb") as f:
        return f.read()


def put(path, data, when=OLD):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (when, when))


def lists(folder):
    return sorted(n for n in os.listdir(folder) if n.endswith(".notes"))


def temporaries(folder):
    return [os.path.join(d, n) for d, _, names in os.walk(folder)
            for n in names if TEMPORARY.search(n)]


def as_user(file_limit=None):
    """For preexec_fn: a run with `ulimit -f` at file_limit bytes, as a user
    without rights when we are root (root writes in any folder)."""
    def set_up():
        if file_limit:
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_limit, file_limit))
        if os.geteuid() == 0:
            os.setgroups([])
            os.setgid(65534)
            os.setuid(65534)
    return set_up


def default_signals():
    for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(s, signal.SIG_DFL)


def stopped(work, args, sig):
    """Runs the batch in work and sends it sig once its first note list is
    there: its status, standard error and process id."""
    child = subprocess.Popen([BATCH] + args, cwd=work, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, preexec_fn=default_signals)
    out, deadline = os.path.join(work, "out"), time.monotonic() + 30
    while time.monotonic() < deadline and child.poll() is None and not (
            os.path.isdir(out) and lists(out)):
        time.sleep(0.002)
    child.send_signal(sig)
    err = child.communicate()[1].decode("latin-1")
    return child.returncode, err, child.pid


def many(work, count):
    """count names of one small score in work/in (links: no room of their
    own); returns its note list."""
    first = os.path.join(work, "in", "0.txt")
    put(first, read(os.path.join(CORPUS, "chords.txt")))
    for k in range(1, count):
        os.link(first, os.path.join(work, "in", "%d.txt" % k))
    return single(work, first)[1]


def report_rows(path):
    with open(path, newline="", encoding="latin-1") as f:
        return list(csv.DictReader(f))


def passed_over(err):
    found = re.search(r"Passed over (\d+) notes? outside", err)
    return int(found.group(1)) if found else 0


def identity():
    """Every corpus file, text and MIDI, with and without --all-tracks: the
    note list each single run writes, and the counts the report gives."""
    work = fresh("identity")
    shutil.copytree(CORPUS, os.path.join(work, "in"))
    scores = sorted(os.listdir(os.path.join(work, "in")))
    check(len(scores) >= 60, "corpus too small")
    for all_tracks in (False, True):
        out = "out_all" if all_tracks else "out"
        status, _, err = batch(work, *(["--all-tracks"] if all_tracks else []),
                               "--jobs", "3", "--report", "r.csv", "-o", out, "in")
        rows = {row["score"]: row for row in report_rows(os.path.join(work, "r.csv"))}
        any_failed = False
        for name in scores:
            score = os.path.join("in", name)
            output = os.path.join(work, out, name + ".notes")
            s_status, s_notes, s_err = single(work, score, all_tracks)
            row = rows.get(score, {})
            what = "%s %s" % (out, name)
            if s_status != 0:
                any_failed = True
                check(not os.path.exists(output), what + ": output of a failure")
                check(row.get("status") == "failed" and row["message"] == s_err,
                      what + ": failure row %r" % row)
                continue
            check(os.path.exists(output) and read(output) == s_notes,
                  what + ": note list differs from morvane's")
            lines = s_notes.decode("latin-1").splitlines()
            instruments = sum(1 for l in lines if l.startswith("// Instrument "))
            check(row.get("status") == "translated" and
                  row["notes"] == str(len(lines) - 1 - instruments) and
                  row["instruments"] == str(instruments) and
                  row["passed_over"] == str(passed_over(s_err)),
                  what + ": report row %r" % row)
        check(status == (1 if any_failed else 0), out + ": status %d" % status)
        check(re.match(r"%d translated, 0 up to date" % (len(scores) - 2), err),
              out + ": summary " + err)


def failure_folder(work):
    """A folder with a damaged score, an unreadable one (a link to nothing:
    root reads any file, so no permission makes one) and a link to itself,
    one out of range, a file and a pipe that are no score, nested folders
    (one named like a score) and a name that CSV must quote; plus a file named directly that
    is no score. Returns {score: expected status}."""
    def put(name, data):
        path = os.path.join(work, "in", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    chords = read(os.path.join(CORPUS, "chords.mid"))
    put("a_good.txt", read(os.path.join(CORPUS, "chords.txt")))
    put("b_damaged.mid", chords[:60])
    os.symlink("nowhere.mid", os.path.join(work, "in", "c_lost.mid"))
    put("d_readme.md", b"not a score\n")
    put("e_nested/deeper/f", read(os.path.join(CORPUS, "format1_basic.mid")))
    put("g.mid/h.txt", read(os.path.join(CORPUS, "names_two_words.txt")))
    put("i_range.txt", b"MFile 1 1 480\nMTrk\n0 Meta TrkName A b\n"
        b"99999999999 On ch=1 n=60 v=64\n")
    put('j,"odd".txt', read(os.path.join(CORPUS, "six_named_tracks.txt")))
    os.symlink("k_loop.mid", os.path.join(work, "in", "k_loop.mid"))
    os.mkfifo(os.path.join(work, "in", "m_pipe.mid"))
    put("z_last.mid", chords)
    with open(os.path.join(work, "named.md"), "w") as f:
        f.write("# notes\n")
    return {"in/a_good.txt": "translated", "in/b_damaged.mid": "failed",
            "in/c_lost.mid": "failed", "in/e_nested/deeper/f": "translated",
            "in/g.mid/h.txt": "translated", "in/i_range.txt": "failed",
            'in/j,"odd".txt': "translated", "in/k_loop.mid": "failed",
            "in/z_last.mid": "translated", "named.md": "failed"}


def failures_group():
    """Failures in the middle of a folder fail alone, with morvane's own
    message in the summary and the report; the rest is translated."""
    work = fresh("failures")
    expected = failure_folder(work)
    status, _, err = batch(work, "--report", "r.csv", "-o", "out", "in", "named.md")
    check(status == 1, "status %d" % status)
    check(err.startswith("5 translated, 0 up to date, 5 failed, "
                         "2 passed over as no score\n"), "summary " + err)
    raw = read(os.path.join(work, "r.csv")).decode("latin-1")
    check(raw.startswith("score,output,status,notes,instruments,passed_over,"
                         "message\r\n"), "report header")
    check('\r\n"in/j,""odd"".txt","out/j,""odd"".txt.notes",translated,' in raw,
          "report quoting: " + raw)
    rows = report_rows(os.path.join(work, "r.csv"))
    order = sorted(s for s in expected if s.startswith("in/")) + ["named.md"]
    check([r["score"] for r in rows] == order, "report order %r" % rows)
    for row in rows:
        score = row["score"]
        check(row["status"] == expected.get(score), "row " + repr(row))
        output = os.path.join(work, row["output"])
        if row["status"] == "translated":
            s_status, s_notes, _ = single(work, score)
            check(s_status == 0 and read(output) == s_notes, score + ": notes")
        elif score == "named.md":
            check(row["message"] == "named.md is no score: it starts with "
                  "neither MThd nor MFile", "row " + repr(row))
            check("  named.md: named.md is no score" in err, "summary " + err)
        else:
            _, _, s_err = single(work, score)
            # morvane's message, and the system's reason where it gave one.
            s_err += {"in/c_lost.mid": ": No such file or directory",
                      "in/k_loop.mid": ": Too many levels of symbolic links",
                      }.get(score, "")
            check(row["message"] == s_err and s_err, "row %r, morvane: %s" % (
                row, s_err))
            check("\n  %s: %s\n" % (score, s_err) in err, score + " in " + err)
            check(not os.path.exists(output), score + ": output of a failure")


def resume():
    """A batch run again does only what is not up to date and leaves the
    rest untouched; --force does everything; Ctrl-C ends it at once."""
    work = fresh("resume")
    os.makedirs(os.path.join(work, "in"))
    names = ["chords.mid", "chords.txt", "format1_basic.mid", "running_status.mid",
             "names_two_words.txt", "six_named_tracks.txt"]
    for name in names:
        put(os.path.join(work, "in", name), read(os.path.join(CORPUS, name)))
    status, _, err = batch(work, "-o", "out", "in")
    check(status == 0 and err.startswith("6 translated, 0 up to date"), err)
    out = lambda name: os.path.join(work, "out", name + ".notes")
    # As an interrupted batch leaves them: two never reached; and the score
    # of one and the output of another changed since.
    os.remove(out(names[0]))
    os.remove(out(names[3]))
    later = time.time() + 5
    os.utime(os.path.join(work, "in", names[1]), (later, later))
    os.utime(out(names[2]), (1, 1))
    kept = {n: os.stat(out(n)) for n in names[4:]}
    status, _, err = batch(work, "-o", "out", "in")
    check(status == 0 and err.startswith("4 translated, 2 up to date"), err)
    for name in names:
        s_status, s_notes, _ = single(work, os.path.join("in", name))
        check(read(out(name)) == s_notes, name + ": notes after resuming")
    for name, before in kept.items():
        after = os.stat(out(name))
        check((after.st_ino, after.st_mtime_ns) == (before.st_ino, before.st_mtime_ns),
              name + ": an up-to-date note list was written again")
    status, _, err = batch(work, "--force", "-o", "out", "in")
    check(status == 0 and err.startswith("6 translated, 0 up to date"), err)
    interrupt(work)


def interrupt(work):
    """Ctrl-C in the middle of a large score ends the batch once that score
    is done, by the signal, leaving whole note lists and no temporary file;
    run again, the batch does the rest."""
    big = os.path.join(work, "big")
    os.makedirs(big)
    with open(os.path.join(big, "0.txt"), "wb") as f:
        subprocess.run([GENERATE, "1000000"], stdout=f, check=True)
    os.utime(os.path.join(big, "0.txt"), (OLD, OLD))
    for k in range(1, 8):  # links: names of their own, no room of their own
        os.link(os.path.join(big, "0.txt"), os.path.join(big, "%d.txt" % k))
    started = time.monotonic()
    _, whole, _ = single(work, os.path.join("big", "0.txt"))
    one_score = time.monotonic() - started
    child = subprocess.Popen([BATCH, "--jobs", "1", "-o", "big_out", "big"], cwd=work,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             preexec_fn=default_signals)
    time.sleep(0.15)
    sent = time.monotonic()
    child.send_signal(signal.SIGINT)
    status = child.wait()
    check(status == -signal.SIGINT, "status after Ctrl-C %d" % status)
    check(time.monotonic() - sent < one_score + 2.0, "Ctrl-C took %.2f s" %
          (time.monotonic() - sent))
    done = os.path.join(work, "big_out")
    left = lists(done) if os.path.isdir(done) else []
    check(len(left) < 8, "Ctrl-C came after the batch was done")
    check(not temporaries(done), "left behind: %s" % temporaries(done))
    for name in left:
        check(read(os.path.join(done, name)) == whole, name + " after Ctrl-C")
    status, _, err = batch(work, "--jobs", "1", "-o", "big_out", "big")
    check(status == 0 and err.startswith("%d translated, %d up to date" % (
        8 - len(left), len(left))), err)
    names = lists(done)
    check(names == sorted("%d.txt.notes" % k for k in range(8)), str(names))
    for name in names:
        check(read(os.path.join(done, name)) == whole, name + " after resuming")
    for folder in (big, os.path.join(work, "big_out")):
        shutil.rmtree(folder, ignore_errors=True)


def statuses():
    """0 when all went well, 1 when a score failed, 2 for a usage error or
    two scores that would write one note list (and then nothing is done);
    what the console shows on a terminal."""
    work = fresh("statuses")
    os.makedirs(os.path.join(work, "in"))
    os.makedirs(os.path.join(work, "other"))
    for folder in ("in", "other"):
        put(os.path.join(work, folder, "chords.txt"),
            read(os.path.join(CORPUS, "chords.txt")))
    shutil.copy(os.path.join(CORPUS, "smpte_division.mid"), work)
    rows = [
        # arguments, status, text expected in the console
        ([], 2, "morvane-batch: no output folder (-o OUTDIR)\nUsage: "),
        (["in"], 2, "no output folder"),
        (["-o", "out"], 2, "morvane-batch: no input named\n"),
        (["-o"], 2, "option -o needs a value"),
        (["--bogus", "-o", "out", "in"], 2, "unknown option --bogus"),
        (["--jobs", "0", "-o", "out", "in"], 2, "--jobs needs a whole number"),
        (["--quiet=yes", "-o", "out", "in"], 2, "option --quiet takes no value"),
        (["-o", "out", "in/chords.txt", "other/chords.txt"], 2,
         "in/chords.txt and other/chords.txt would both write out/chords.txt.notes"),
        (["-o", "out", "in", "other"], 2, "would both write out/chords.txt.notes"),
        (["--help"], 0, "Usage: morvane-batch [--all-tracks]"),
        (["--version"], 0, "morvane-batch 0."),
        (["-o", "out", "in"], 0, "1 translated, 0 up to date, 0 failed"),
        (["-q", "--jobs=2", "--output=out", "--", "in"], 0, "0 translated, 1 up to date"),
        (["-j2", "--sync", "-oout", "in"], 0, "0 translated, 1 up to date"),
        (["-o", "out", "in", "smpte_division.mid"], 1, "1 up to date, 1 failed"),
        (["--report", "in", "-o", "out", "in"], 1, "can't write report in"),
    ]
    for args, want_status, want_text in rows:
        status, out, err = batch(work, *args)
        check(status == want_status and want_text in out + err,
              "%r: status %d, %r" % (args, status, out + err))
        if want_status == 2:
            check(not os.path.exists(os.path.join(work, "out")),
                  "%r: output folder made" % args)
    # The progress line is drawn on a terminal (and erased before the
    # summary), never with --quiet nor into a pipe (above).
    for quiet in (False, True):
        leader, follower = pty.openpty()
        status, _, _ = batch(work, *(["--quiet"] if quiet else []), "--force",
                             "-o", "out", "in", stderr=follower)
        os.close(follower)
        shown = b""
        while True:
            try:
                part = os.read(leader, 4096)
            except OSError:  # the terminal's far end is closed: all read
                break
            if not part:
                break
            shown += part
        os.close(leader)
        check(status == 0 and (b"\r\x1b[K" in shown) != quiet and
              b"1 translated" in shown, "on a terminal, quiet %s: %r" % (quiet, shown))


def up_to_date():
    """A list is up to date only when it was made from this score, with
    these options, by this program, and is still the list made: anything
    else, a damaged record too, is translated again."""
    def older_copy(work):  # cp -p of another score: its time is older
        shutil.copy2(os.path.join(CORPUS, "six_named_tracks.txt"),
                     os.path.join(work, "in", "a.txt"))
        os.utime(os.path.join(work, "in", "a.txt"), (OLD - 60, OLD - 60))

    def unpacked(work):  # a new file, of the same size and time
        score = os.path.join(work, "in", "a.txt")
        was = os.stat(score)
        put(score + ".new", read(score).replace(b"n=36", b"n=37", 1))
        os.utime(score + ".new", ns=(was.st_atime_ns, was.st_mtime_ns))
        os.replace(score + ".new", score)

    def list_edited(work):
        with open(os.path.join(work, "out", "a.txt.notes"), "ab") as f:
            f.write(b"0.000 \t0\t60\t90\t1.000\n")

    def record_damaged(work):
        put(os.path.join(work, "out", ".morvane-batch-record"), b"\x00\xff\n")

    def touched_while_translated(work):
        child = subprocess.Popen([BATCH, "-o", "out", "in"], cwd=work,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        # Once the list's temporary file is there, the score is being read.
        out, deadline = os.path.join(work, "out"), time.monotonic() + 30
        while time.monotonic() < deadline and child.poll() is None and not (
                os.path.isdir(out) and any(n.startswith(".a.txt.notes.morvane-")
                                           for n in os.listdir(out))):
            time.sleep(0.001)
        os.utime(os.path.join(work, "in", "a.txt"))
        err = child.communicate()[1].decode("latin-1")
        check("Changed while translated, so translated again next time:\n"
              "  in/a.txt\n" in err, "touched while translated: " + err)

    def cut_in_place(work):
        # The folder refuses new files, its lists may be written: in place.
        # A full disk (ulimit -f) cuts the large list short.
        out = os.path.join(work, "out")
        for name in os.listdir(out):
            os.chmod(os.path.join(out, name), 0o666)
        os.chmod(out, 0o555)
        child = subprocess.run([BATCH, "--force", "-o", "out", "in"], cwd=work,
                               capture_output=True, preexec_fn=as_user(8192))
        err = child.stderr.decode("latin-1")
        check(child.returncode == 1 and "the list, written in place, is cut "
              "short: the next run translates it again" in err, "cut: " + err)
        os.chmod(out, 0o755)

    def generated(events):
        path = os.path.join(WORK, "%s.txt" % events)
        with open(path, "wb") as f:
            subprocess.run([GENERATE, events], stdout=f, check=True)
        return path
    rows = [
        # what, its score a.txt, the change after a first run, then options
        ("--all-tracks", "first_track_named.txt", None, ["--all-tracks"]),
        ("replaced by an older score", "first_track_named.txt", older_copy, []),
        ("a new file of the same size and time", "first_track_named.txt",
         unpacked, []),
        ("the list edited", "first_track_named.txt", list_edited, []),
        ("the record damaged", "first_track_named.txt", record_damaged, []),
        ("touched while translated", generated("200000"),
         touched_while_translated, []),
        ("cut short in place", generated("3000"), cut_in_place, []),
    ]
    for what, score, change, options in rows:
        work = fresh("up_to_date")
        put(os.path.join(work, "in", "a.txt"), read(os.path.join(CORPUS, score)))
        put(os.path.join(work, "in", "b.txt"), read(os.path.join(CORPUS, "chords.txt")))
        if change is not touched_while_translated:
            batch(work, "-o", "out", "in")
        if change:
            change(work)
        status, _, err = batch(work, *options, "--report", "r.csv", "-o", "out", "in")
        said = {r["score"]: r["status"] for r in report_rows(os.path.join(work, "r.csv"))}
        _, notes, _ = single(work, os.path.join("in", "a.txt"), bool(options))
        check(status == 0 and said.get("in/a.txt") == "translated" and
              read(os.path.join(work, "out", "a.txt.notes")) == notes,
              "%s: status %d, %r, %s" % (what, status, said, err))


def inputs():
    """Nothing is written over a score: a batch that would is refused before
    any work, a line for each file. A score named twice is taken once."""
    work = fresh("inputs")
    chords = read(os.path.join(CORPUS, "chords.txt"))
    for name in ("in/a.txt", "in/song", "in/song.notes", "x/a.txt", "y/a.txt",
                 "z/a.txt", "out/.a.txt.notes.morvane-1-abcdef"):
        put(os.path.join(work, name), chords)
    os.makedirs(os.path.join(work, "o2"))
    os.symlink("../in/song", os.path.join(work, "o2", "b.txt.notes"))
    put(os.path.join(work, "in2", "b.txt"), chords)
    put(os.path.join(work, "n", "deep", "c.txt"), chords)
    put(os.path.join(work, "in3", "a.txt"), chords)
    put(os.path.join(work, "in3", "b.txt"), chords)
    os.makedirs(os.path.join(work, "o3"))
    os.symlink("b.txt.notes", os.path.join(work, "o3", "a.txt.notes"))
    rows = [
        # arguments, status, the line said, files that must stay as they are
        (["-o", "in", "in"], 2, "  the note list of in/song is the score "
         "in/song.notes\n", ["in/song.notes"]),
        (["--report", "in/a.txt", "-o", "o", "in"], 2,
         "  the report in/a.txt is the score in/a.txt\n", ["in/a.txt"]),
        (["--report", "o/a.txt.notes", "-o", "o", "in"], 2,
         "  the report o/a.txt.notes is the note list of in/a.txt\n", []),
        (["-o", "o2", "in2", "in/song"], 2, "  the note list of in2/b.txt is the "
         "score in/song\n", ["in/song"]),
        (["-o", "out", "out"], 2, "  the score out/.a.txt.notes.morvane-1-abcdef "
         "is named like a temporary file left in out, which a batch removes\n", []),
        (["-o", "o", "in", "in", "./in", "in/a.txt"], 0,
         "3 translated, 0 up to date", []),
        (["-o", "o", "x/a.txt", "y/a.txt", "z/a.txt", "x"], 2,
         "\n  x/a.txt, y/a.txt and z/a.txt would all write o/a.txt.notes\n", []),
        # Two outputs that are one file through a link.
        (["-o", "o3", "in3"], 2, "  in3/a.txt and in3/b.txt would both write "
         "o3/a.txt.notes\n", []),
        # A folder and one inside it: each score once, as first named (the
        # last row: its list is looked at below).
        (["-o", "o", "n", "n/deep"], 0, "1 translated, 0 up to date", []),
    ]
    for args, want_status, want_text, kept in rows:
        shutil.rmtree(os.path.join(work, "o"), ignore_errors=True)
        status, _, err = batch(work, *args)
        check(status == want_status and want_text in err,
              "%r: status %d, %s" % (args, status, err))
        if want_status == 2:
            check(not os.path.exists(os.path.join(work, "o")) and
                  len(err.splitlines()) == 2, "%r: %s" % (args, err))
        for name in kept:
            check(read(os.path.join(work, name)) == chords, "%r: %s" % (args, name))
    check(os.path.exists(os.path.join(work, "o", "deep", "c.txt.notes")) and
          not os.path.exists(os.path.join(work, "o", "c.txt.notes")),
          "n and n/deep: %r" % os.listdir(os.path.join(work, "o")))


def interruption():
    """Ctrl-C, SIGTERM, SIGHUP: no score handed out after, those in flight
    finished, no temporary file left; the summary says how far it got, and
    the batch ends by the signal. SIGKILL may leave temporary files: the next
    run removes those of runs that have ended, and only those."""
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGKILL):
        work = fresh("interruption")
        notes = many(work, 1000)
        status, err, pid = stopped(work, ["--jobs", "8", "-o", "out", "in"], sig)
        out = os.path.join(work, "out")
        check(status == -sig, "%d: status %d" % (sig, status))
        done = re.search(r"\ninterrupted: (\d+) of 1000 done, run again to go on\n$",
                         err)
        if sig != signal.SIGKILL:
            check(done and 0 < int(done.group(1)) < 1000, "%d: %s" % (sig, err))
            check(not temporaries(out), "%d: %s" % (sig, temporaries(out)))
        else:
            os.makedirs(os.path.join(out, "deeper"), exist_ok=True)
            dead = [os.path.join(out, ".0.txt.notes.morvane-%d-Abc123" % pid),
                    os.path.join(out, "deeper", ".x.notes.morvane-%d-Abc123" % pid)]
            alive = os.path.join(out, ".0.txt.notes.morvane-%d-Abc123" % os.getpid())
            for name in dead + [alive]:
                put(name, b"0.000")
        status, _, err = batch(work, "--jobs", "8", "-o", "out", "in")
        if sig != signal.SIGKILL:
            n = int(done.group(1)) if done else 0
            check(err.startswith("%d translated, %d up to date" % (1000 - n, n)),
                  "%d, again: %s" % (sig, err))
        else:
            check(re.search(r"\nRemoved \d+ temporary files left by killed runs\n",
                            err) and temporaries(out) == [alive],
                  "after SIGKILL: %s %s" % (err, temporaries(out)))
        check(status == 0 and len(lists(out)) == 1000 and
              all(read(os.path.join(out, n)) == notes for n in lists(out)),
              "%d, again: status %d" % (sig, status))


def report():
    """The report is written whole or not at all, as a note list is, and a
    batch stopped by Ctrl-C writes it too: the rows done, the rest
    not-done."""
    work = fresh("report")
    chords = read(os.path.join(CORPUS, "chords.txt"))
    for k in range(40):  # rows longer than the lists
        put(os.path.join(work, "in", "%s%02d.txt" % ("s" * 100, k)), chords)
    put(os.path.join(work, "r.csv"), b"the report before\r\n")
    child = subprocess.run([BATCH, "--report", "r.csv", "-o", "out", "in"], cwd=work,
                           capture_output=True, preexec_fn=lambda: resource.setrlimit(
                               resource.RLIMIT_FSIZE, (4096, 4096)))
    err = child.stderr.decode("latin-1")
    check(child.returncode == 1 and "can't write report r.csv" in err and
          read(os.path.join(work, "r.csv")) == b"the report before\r\n",
          "ulimit -f: status %d, %s" % (child.returncode, err))

    work = fresh("report")
    many(work, 1000)
    status, err, _ = stopped(work, ["--jobs", "8", "--report", "r.csv", "-o", "out",
                                    "in"], signal.SIGINT)
    done = re.search(r"interrupted: (\d+) of", err)
    rows = report_rows(os.path.join(work, "r.csv")) if done else []
    counted = [r["status"] for r in rows]
    check(status == -signal.SIGINT and len(rows) == 1000 and
          counted.count("translated") == int(done.group(1)) and
          counted.count("not-done") == 1000 - int(done.group(1)) and
          all(r["notes"] == "" for r in rows if r["status"] == "not-done"),
          "Ctrl-C: status %d, %s, %r" % (status, err, counted))


GROUPS = {"identity": identity, "failures": failures_group, "resume": resume,
          "statuses": statuses, "up_to_date": up_to_date, "inputs": inputs,
          "interruption": interruption, "report": report}

if __name__ == "__main__":
    os.makedirs(WORK, exist_ok=True)
    GROUPS[sys.argv[1]]()
    for failure in failures:
        print("FAILED:", failure)
    sys.exit(1 if failures else 0)

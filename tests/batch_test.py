#!/usr/bin/python3
"""Runs the built morvane-batch as a user would and holds it to the single
morvane runs it stands for: the same note lists byte for byte, the same
messages, and the counts its summary and report give.

    batch_test.py GROUP MORVANE_BATCH MORVANE GENERATE_SCORE CORPUS WORK_DIR

GROUP is one of identity, failures, resume, statuses (one CTest test each).
"""
import csv
import io
import os
import pty
import re
import shutil
import signal
import subprocess
import sys
import time

BATCH, MORVANE, GENERATE, CORPUS, WORK = sys.argv[2:7]
failures = []


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
        shutil.copy(os.path.join(CORPUS, name), os.path.join(work, "in", name))
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
    """Ctrl-C in the middle of a large score ends the batch at once, by the
    signal, leaving whole note lists and no temporary file; run again, the
    batch does the rest."""
    big = os.path.join(work, "big")
    os.makedirs(big)
    with open(os.path.join(big, "0.txt"), "wb") as f:
        subprocess.run([GENERATE, "1000000"], stdout=f, check=True)
    for k in range(1, 8):  # links: names of their own, no room of their own
        os.link(os.path.join(big, "0.txt"), os.path.join(big, "%d.txt" % k))
    child = subprocess.Popen([BATCH, "--jobs", "1", "-o", "big_out", "big"], cwd=work,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             preexec_fn=lambda: signal.signal(signal.SIGINT,
                                                              signal.SIG_DFL))
    time.sleep(0.15)
    sent = time.monotonic()
    child.send_signal(signal.SIGINT)
    status = child.wait()
    check(status == -signal.SIGINT, "status after Ctrl-C %d" % status)
    check(time.monotonic() - sent < 2.0, "Ctrl-C took %.2f s" %
          (time.monotonic() - sent))
    _, whole, _ = single(work, os.path.join("big", "0.txt"))
    done = os.path.join(work, "big_out")
    left = os.listdir(done) if os.path.isdir(done) else []
    check(len(left) < 8, "Ctrl-C came after the batch was done")
    check(not [n for n in left if ".morvane-" in n], "left behind: %s" % left)
    for name in left:
        check(read(os.path.join(done, name)) == whole, name + " after Ctrl-C")
    status, _, err = batch(work, "--jobs", "1", "-o", "big_out", "big")
    check(status == 0 and err.startswith("%d translated, %d up to date" % (
        8 - len(left), len(left))), err)
    names = sorted(os.listdir(done))
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
        shutil.copy(os.path.join(CORPUS, "chords.txt"), os.path.join(work, folder))
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


GROUPS = {"identity": identity, "failures": failures_group, "resume": resume,
          "statuses": statuses}

if __name__ == "__main__":
    os.makedirs(WORK, exist_ok=True)
    GROUPS[sys.argv[1]]()
    for failure in failures:
        print("FAILED:", failure)
    sys.exit(1 if failures else 0)

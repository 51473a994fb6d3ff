#!/usr/bin/python3
"""Runs morvane-roll as a user does: its options, statuses and messages; a
score of each kind drawn as the roll of its note list; what it leaves where
the picture goes (a full disk, a signal, the file it reads). Every SVG it
writes is read by an XML parser.

    roll_command.py MORVANE MORVANE_ROLL VERSION CORPUS WORK
"""
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import time
import xml.parsers.expat

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what)


def run(command, cwd, limit=None):
    def limited():
        if limit is not None:
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    return subprocess.run(command, cwd=cwd, capture_output=True, text=True,
                          errors="replace", preexec_fn=limited)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    morvane, roll, version, corpus, work = sys.argv[1:6]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "sub"))

    def put(name, data):
        with open(os.path.join(work, name), "wb") as f:
            f.write(data)

    notes = b"// MORVANE file.\n// Instrument Flute \n0.000 \t0\t72\t80\t1.000\n"
    put("same.notes", notes)
    os.symlink("same.notes", os.path.join(work, "link.svg"))
    os.link(os.path.join(work, "same.notes"), os.path.join(work, "hard.svg"))
    put("inf.notes", notes + b"inf \t0\t60\t90\t1.000\n")
    put("nan.notes", b"0.000 \t0\t60\t90\tnan\n")
    put("damaged.mid", b"MThd\0\0\0\6\0\1\0\1\0\x60MTrk\0\0\1\0")
    put("zero.txt", b"MFile 1 1 0\n")
    put("unnamed.txt", b"MFile 1 2 96\nMTrk\n0 Meta TrkName Flute\n"
        b"0 On ch=1 n=72 v=80\n96 On ch=1 n=72 v=0\n96 Meta TrkEnd\nTrkEnd\n"
        b"MTrk\n0 On ch=2 n=60 v=80\n96 On ch=2 n=60 v=0\nTrkEnd\n")

    usage = r"^Usage: morvane-roll \[--all-tracks\] score-or-notes \[picture.svg\]\n"
    same = r"^morvane-roll: can't use %s for the picture: it is the input\n$"
    # Arguments, status, and patterns of standard output and error.
    rows = [
        ("--help", 0, usage + r"(.|\n)*--version", r"^$"),
        ("-h", 0, usage, r"^$"),
        ("--version", 0, r"^morvane-roll %s\n$" % re.escape(version), r"^$"),
        ("", 1, r"^$", usage + "$"),
        ("a b c", 1, r"^$", usage + "$"),
        ("--help x.svg", 1, r"^$", r"^morvane-roll: can't open --help\n$"),
        ("inf.notes inf.svg", 1, r"^$",
         r"^morvane-roll: inf.notes line 4: a number that is not finite\n$"),
        ("nan.notes", 1, r"^$", r"line 1: a number that is not finite\n$"),
        ("damaged.mid", 1, r"^$",
         r"^morvane-roll: Badly formed MIDI file damaged.mid: chunk runs past "
         r"the end of the file at byte 14\.\n$"),
        ("zero.txt", 1, r"^$", r"^morvane-roll: Badly formed MIDI text file: "
         r"division must be above 0\.\n$"),
        ("unnamed.txt", 0, r"^notes: 1\n", r"^morvane-roll: Passed over 1 note "
         r"outside named tracks; --all-tracks keeps them\n$"),
        ("-a unnamed.txt", 0, r"^notes: 2\n", r"^$"),
        ("/dev/null", 1, r"^$", r"^morvane-roll: /dev/null is not a regular "
         r"file: name the picture\n$"),
        ("same.notes same.notes", 1, r"^$", same % "same.notes"),
        ("same.notes link.svg", 1, r"^$", same % "link.svg"),
        ("same.notes hard.svg", 1, r"^$", same % "hard.svg"),
        ("same.notes sub/../same.notes", 1, r"^$", same % r"sub/\.\./same.notes"),
    ]
    for arguments, status, out, err in rows:
        r = run([roll] + arguments.split(), work)
        check(r.returncode == status and re.search(out, r.stdout) and
              re.search(err, r.stderr),
              "morvane-roll %s: status %d\nout: %s\nerr: %s" %
              (arguments, r.returncode, r.stdout, r.stderr))
    check(read(os.path.join(work, "same.notes")) == notes,
          "the note list read is left as it was")

    # A score is drawn as the roll of the note list morvane writes for it;
    # without a picture's name, beside it with .svg for its extension.
    for score, options in [("chords.mid", []), ("chords.txt", []),
                           ("names_odd_chars.mid", []),
                           ("format0_unnamed.mid", ["--all-tracks"])]:
        shutil.copy(os.path.join(corpus, score), os.path.join(work, score))
        stem = os.path.splitext(score)[0]
        run([morvane] + options + [score, stem + ".list"], work)
        listed = run([roll, stem + ".list", stem + ".list.svg"], work)
        drawn = run([roll] + options + [score], work)
        what = "%s %s" % (" ".join(options), score)
        check(drawn.returncode == 0 and drawn.stdout == listed.stdout and
              drawn.stderr == "", what + ": " + drawn.stderr)
        check(read(os.path.join(work, stem + ".svg")) ==
              read(os.path.join(work, stem + ".list.svg")),
              what + ": drawn as its note list is")
    # A picture down standard output comes alone, the summary beside it.
    r = run([roll, "chords.mid", "/dev/stdout"], work)
    check(r.returncode == 0 and r.stdout == read(os.path.join(
        work, "chords.svg")).decode() and r.stderr.startswith("notes: 15\n"),
          "a picture to standard output: " + r.stderr)
    put("picture.svg", notes)
    r = run([roll, "picture.svg"], work)
    check(r.returncode == 0 and os.path.exists(os.path.join(work, "picture.svg.svg")),
          "a note list named .svg is drawn beside it, not over it")

    # Where the picture goes: the old one stays unless the new one is whole,
    # and nothing else is left beside it.
    old = b"an earlier picture\n"
    sub = os.path.join(work, "sub")
    shutil.copy(os.path.join(corpus, "chords.mid"), sub)
    whole = read(os.path.join(work, "chords.svg"))

    def fresh_picture():
        put("sub/out.svg", old)
        os.chmod(os.path.join(sub, "out.svg"), 0o640)

    def left(what, score="chords.mid"):
        names = " ".join(sorted(os.listdir(sub)))
        check(names == score + " out.svg", what + ": left " + names)
        return read(os.path.join(sub, "out.svg"))

    fresh_picture()
    r = run([roll, "chords.mid", "out.svg"], sub, limit=1000)
    check(r.returncode == 1 and r.stderr == "morvane-roll: can't write out.svg\n",
          "a full disk: status %d, %s" % (r.returncode, r.stderr))
    check(left("a full disk") == old, "a full disk leaves the old picture")
    fresh_picture()
    r = run([roll, "chords.mid", "out.svg"], sub)
    check(left("a replaced picture") == whole, "the picture replaced whole")
    mode = os.stat(os.path.join(sub, "out.svg")).st_mode & 0o777
    check(mode == 0o640, "a replaced picture keeps its permissions: %o" % mode)

    # Signals while a long list is drawn and written: the old picture, or
    # the new one whole where the signal came after it replaced the old;
    # no temporary file left. The first signal of each kind comes once the
    # temporary picture exists, while the list is still being drawn: the
    # handler must remove it and end the run by the signal.
    os.remove(os.path.join(sub, "chords.mid"))
    with open(os.path.join(sub, "long.notes"), "wb") as f:
        f.write(b"// MORVANE file.\n")
        for i in range(150000):
            f.write(b"%d.%03d \t%d\t%d\t90\t0.250\n" %
                    (i // 8, i % 8 * 125, i % 16, 30 + i % 60))
    run([roll, "long.notes", "out.svg"], sub)
    whole = read(os.path.join(sub, "out.svg"))
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        for delay in (None, 0.3, 0.8):
            fresh_picture()
            child = subprocess.Popen([roll, "long.notes", "out.svg"], cwd=sub,
                                     stdout=subprocess.DEVNULL)
            if delay is None:
                until = time.monotonic() + 10
                while time.monotonic() < until and not any(
                        n.startswith(".out.svg.morvane-") for n in os.listdir(sub)):
                    time.sleep(0.001)
            else:
                time.sleep(delay)
            child.send_signal(sig)
            status = child.wait()
            what = "signal %d after %s: status %d" % (
                sig, "its temporary file" if delay is None else "%.2f s" % delay,
                status)
            picture = left(what, "long.notes")
            check(status in (0, -sig) and picture in (old, whole) and
                  (status == -sig or picture == whole) and
                  (delay is not None or (status == -sig and picture == old)),
                  what)

    # Every picture made here is XML.
    for folder, _, names in os.walk(work):
        for name in names:
            path = os.path.join(folder, name)
            if not name.endswith(".svg") or os.path.islink(path) or \
               read(path) in (old, notes):
                continue
            try:
                with open(path, "rb") as f:
                    xml.parsers.expat.ParserCreate().ParseFile(f)
            except xml.parsers.expat.ExpatError as error:
                check(False, "%s is not XML: %s" % (path, error))
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

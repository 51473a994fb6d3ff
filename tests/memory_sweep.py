#!/usr/bin/python3
"""Runs morvane under ever larger address-space limits (ulimit -v) and
requires at every step either a complete note list with status 0 or status 1
with a message and the earlier note list as it was, nothing beside it:
never a crash, an abort, a silent failure or a damaged list. Then requires
success where the scores' memory needs say it must come.

    memory_sweep.py MORVANE GENERATE_SCORE SMALL_SCORE WORK_DIR
"""
import os
import subprocess
import sys

BANNER = "\n\t\t     Morvane v0.1 Sept 2004\n"


EARLIER = b"an earlier list\n"


def run(morvane, score, notes, limit_kb):
    with open(notes, "wb") as f:
        f.write(EARLIER)
    limit = "ulimit -v %d; " % limit_kb if limit_kb else ""
    child = subprocess.run(["sh", "-c", limit + 'exec "$0" "$1" "$2"', morvane,
                            score, notes], capture_output=True)
    return child.returncode, child.stdout.decode("latin-1"), child.stderr.decode(
        "latin-1")


def sweep(morvane, score, notes, first_kb, step_kb):
    """Sweeps from the smallest limit the program starts under to three
    successes in a row; returns the number of limits tried and the lowest
    that succeeded."""
    _, _, _ = run(morvane, score, notes, 0)
    with open(notes, "rb") as f:
        whole = f.read()
    limit = first_kb
    while True:  # find where the program starts at all
        status, out, _ = run(morvane, score, notes, limit)
        if out.startswith(BANNER) or status in (0, 1):
            break
        limit += step_kb // 4 or 1
        if limit > 1 << 22:
            sys.exit("%s: never starts" % score)
    tried = successes = 0
    lowest_success = None
    while successes < 3:
        status, out, err = run(morvane, score, notes, limit)
        tried += 1
        where = "%s under ulimit -v %d" % (os.path.basename(score), limit)
        if status == 0:
            with open(notes, "rb") as f:
                if f.read() != whole:
                    sys.exit("%s: status 0 with an incomplete note list" % where)
            successes += 1
            lowest_success = lowest_success or limit
        elif status == 1:
            said = out[len(BANNER):] if out.startswith(BANNER) else out
            if not (said.strip() or err.strip()):
                sys.exit("%s: status 1 without a message" % where)
            with open(notes, "rb") as f:
                if f.read() != EARLIER:
                    sys.exit("%s: a failed run changed the note list" % where)
            left = [n for n in os.listdir(os.path.dirname(notes))
                    if ".morvane-" in n]
            if left:
                sys.exit("%s: left %s behind" % (where, left))
            successes = 0
        else:
            sys.exit("%s: status %d, stdout %r, stderr %r" %
                     (where, status, out[-200:], err[-200:]))
        limit += step_kb
    return tried, lowest_success


def main():
    morvane, generate, small, work = sys.argv[1:5]
    os.makedirs(work, exist_ok=True)
    notes = os.path.join(work, "notes.txt")
    scores = {}
    for events in (100000, 1000000):
        path = os.path.join(work, "score_%d.txt" % events)
        with open(path, "wb") as out:
            subprocess.run([generate, str(events)], stdout=out, check=True)
        scores[events] = path
    for score, step in ((small, 32), (scores[1000000], 1024)):
        tried, lowest = sweep(morvane, score, notes, 1024, step)
        print("%s: %d limits, status 0 or 1 with a message at each; "
              "complete from %d KB" % (os.path.basename(score), tried, lowest))
    failures = 0
    for events, limit in ((100000, 24000), (1000000, 48000)):
        status, _, err = run(morvane, scores[events], notes, limit)
        print("%d events under ulimit -v %d: status %d" % (events, limit, status))
        failures += status != 0
    print("%d passed, %d failed" % (2 - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

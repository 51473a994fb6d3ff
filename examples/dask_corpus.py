#!/usr/bin/python3
"""Translates every score of a folder on a Dask cluster.

    examples/dask_corpus.py FOLDER OUTDIR [--all-tracks] [--scheduler ADDRESS]

A file below FOLDER is a score when its first bytes are MThd (a standard
MIDI file, whatever its name) or MFile (a MIDI text file), as the workers
ask morvane.starts_like_score; other files are passed over. Each score's
note list is written to OUTDIR/<its path below FOLDER>.notes, byte for
byte what `morvane SCORE OUT` writes, by morvane.write_note_list on a
worker of the cluster. Without --scheduler the
cluster is a LocalCluster of one worker per core of this machine; with it,
any running cluster's scheduler (dask-scheduler), whose workers
(dask-worker) can import morvane and see FOLDER and OUTDIR at the same
paths. --all-tracks makes every track with notes an instrument, named or
not, as `morvane --all-tracks` does. Prints a summary: files, notes,
failures; how many files gave an empty note list and how many notes were
passed over outside named tracks (many real files name no track, and give
nothing without --all-tracks); then each failure with its message. Exits 1
when a score failed.
"""

import argparse
import os
import pathlib
import sys

import dask.bag
from dask.distributed import Client, LocalCluster

def files_below(folder):
    """Every file below folder, in the order of their paths: the workers
    tell the scores among them."""
    return sorted(str(p) for p in pathlib.Path(folder).rglob("*")
                  if p.is_file())


def translate(score, folder, outdir, all_tracks):
    """Writes score's note list below outdir; runs on a worker.

    Returns (score's path below folder, notes, notes passed over, failure
    message or None), or None for a file that is no score."""
    import morvane  # on the worker: the client need not have it

    try:
        with open(score, "rb") as file:
            if not morvane.starts_like_score(file.read(8)):
                return None
    except OSError:
        pass  # the translation says what is wrong with it
    below = os.path.relpath(score, folder)
    out = pathlib.Path(outdir, below + ".notes")
    out.parent.mkdir(parents=True, exist_ok=True)
    try:
        t = morvane.write_note_list(score, out, all_tracks=all_tracks)
        return below, len(t), t.passed_over, None
    except morvane.ScoreError as error:
        return below, 0, 0, str(error)
    except OSError as error:
        return below, 0, 0, "%s: %s" % (error.strerror, error.filename)


def translate_all(folder, outdir, client, all_tracks):
    """The outcome of every score below folder, translated on client's
    cluster, in the order of their paths."""
    files = files_below(folder)
    if not files:
        return []
    bag = dask.bag.from_sequence(files, npartitions=min(len(files), 256))
    outcomes = bag.map(translate, folder, outdir,
                       all_tracks).compute(scheduler=client.get)
    return [outcome for outcome in outcomes if outcome is not None]


def summary(outcomes, all_tracks):
    """The lines the run ends with."""
    failures = [(score, message) for score, _, _, message in outcomes
                if message]
    empty = sum(notes == 0 and not message
                for _, notes, _, message in outcomes)
    passed_over = sum(passed for _, _, passed, _ in outcomes)
    lines = ["%d files, %d notes, %d failures" % (
        len(outcomes), sum(notes for _, notes, _, _ in outcomes),
        len(failures))]
    lines.append("%d files gave an empty note list, %d notes passed over "
                 "outside named tracks%s" % (
                     empty, passed_over,
                     "; --all-tracks keeps them"
                     if passed_over and not all_tracks else ""))
    lines += ["  %s: %s" % failure for failure in failures]
    return lines


def main():
    parser = argparse.ArgumentParser(
        description="Translates every score of FOLDER on a Dask cluster.")
    parser.add_argument("folder")
    parser.add_argument("outdir")
    parser.add_argument("--all-tracks", action="store_true",
                        help="every track with notes is an instrument, "
                             "named or not")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="a running cluster's scheduler "
                             "(default: a LocalCluster of this machine's cores)")
    args = parser.parse_args()
    if args.scheduler:
        with Client(args.scheduler) as client:
            outcomes = translate_all(args.folder, args.outdir, client,
                                     args.all_tracks)
    else:
        with LocalCluster(n_workers=os.cpu_count(), threads_per_worker=1) as cluster, \
                Client(cluster) as client:
            outcomes = translate_all(args.folder, args.outdir, client,
                                     args.all_tracks)
    print("\n".join(summary(outcomes, args.all_tracks)))
    return 1 if any(message for _, _, _, message in outcomes) else 0


if __name__ == "__main__":
    sys.exit(main())

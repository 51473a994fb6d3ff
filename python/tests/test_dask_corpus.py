"""examples/dask_corpus.py on a LocalCluster of two workers, against the
command's note lists."""

import os
import re
import shutil
import subprocess
import sys

from dask.distributed import LocalCluster

from support import CORPUS, ROOT, run_command

EXAMPLE = ROOT / "examples" / "dask_corpus.py"


def expected_summary(folder, out, work, all_tracks):
    """The summary lines the command's runs on every score of folder call
    for, each list written to out checked against the command's."""
    failures = []
    notes = empty = passed_over = 0
    scores = sorted((folder / "nested").iterdir())
    for score in scores:
        status, console, message, expected = run_command(
            score, "out.notes", work, all_tracks)
        written = out / "nested" / (score.name + ".notes")
        assert (written.read_bytes() if written.exists() else None) == expected
        (work / "out.notes").unlink(missing_ok=True)
        if status != 0:
            failures.append("  nested/%s: %s" % (score.name, message.strip()))
            continue
        lines = sum(not line.startswith(b"//")
                    for line in expected.splitlines())
        notes += lines
        empty += lines == 0
        passed = re.search(r"Passed over (\d+) note", console)
        passed_over += int(passed.group(1)) if passed else 0
    hint = "; --all-tracks keeps them" if passed_over and not all_tracks else ""
    return [
        "%d files, %d notes, %d failures" % (len(scores), notes, len(failures)),
        "%d files gave an empty note list, %d notes passed over outside named "
        "tracks%s" % (empty, passed_over, hint),
    ] + failures


def test_corpus_on_two_workers(tmp_path):
    # The corpus in a nested folder, beside a file that is no score.
    folder = tmp_path / "in"
    shutil.copytree(CORPUS, folder / "nested")
    (folder / "README").write_text("MIDI files below\n")
    (tmp_path / "command").mkdir()
    with LocalCluster(n_workers=2, threads_per_worker=1,
                      dashboard_address=None) as cluster:
        for all_tracks in (False, True):
            out = tmp_path / ("out-all" if all_tracks else "out")
            done = subprocess.run(
                [sys.executable, str(EXAMPLE), str(folder), str(out),
                 "--scheduler", cluster.scheduler_address] +
                (["--all-tracks"] if all_tracks else []),
                capture_output=True, text=True, check=False, env=os.environ)
            summary = expected_summary(folder, out, tmp_path / "command",
                                       all_tracks)
            assert done.stdout.splitlines() == summary
            assert done.returncode == (1 if len(summary) > 2 else 0)
            assert not (out / "README.notes").exists()

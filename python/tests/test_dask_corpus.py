"""examples/dask_corpus.py on a LocalCluster of two workers, against the
command's note lists."""

import os
import shutil
import subprocess
import sys

from dask.distributed import LocalCluster

from support import CORPUS, ROOT, run_command

EXAMPLE = ROOT / "examples" / "dask_corpus.py"


def test_corpus_on_two_workers(tmp_path):
    # The corpus in a nested folder, beside a file that is no score.
    folder = tmp_path / "in"
    shutil.copytree(CORPUS, folder / "nested")
    (folder / "README").write_text("MIDI files below\n")
    (tmp_path / "command").mkdir()
    with LocalCluster(n_workers=2, threads_per_worker=1,
                      dashboard_address=None) as cluster:
        done = subprocess.run(
            [sys.executable, str(EXAMPLE), str(folder), str(tmp_path / "out"),
             "--scheduler", cluster.scheduler_address],
            capture_output=True, text=True, check=False, env=os.environ)
    failures = []
    notes = 0
    scores = sorted((folder / "nested").iterdir())
    for score in scores:
        status, _, message, expected = run_command(score, "out.notes",
                                                   tmp_path / "command")
        written = tmp_path / "out" / "nested" / (score.name + ".notes")
        assert (written.read_bytes() if written.exists() else None) == expected
        (tmp_path / "command" / "out.notes").unlink(missing_ok=True)
        if status != 0:
            failures.append("  nested/%s: %s" % (score.name, message.strip()))
        else:
            notes += sum(not line.startswith(b"//")
                         for line in expected.splitlines())
    assert done.stdout.splitlines() == [
        "%d files, %d notes, %d failures" % (len(scores), notes, len(failures))
    ] + failures
    assert done.returncode == (1 if failures else 0)
    assert not (tmp_path / "out" / "README.notes").exists()

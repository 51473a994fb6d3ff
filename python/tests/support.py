"""What the module's tests share: where things are, and the command's run."""

import os
import pathlib
import subprocess
from decimal import ROUND_HALF_UP, Decimal

ROOT = pathlib.Path(__file__).resolve().parents[2]
# CTest names the built command; by hand, the usual build folder serves.
COMMAND = os.path.abspath(os.environ.get("MORVANE_COMMAND",
                                         ROOT / "build" / "morvane"))
CORPUS = pathlib.Path(os.environ.get("MORVANE_CORPUS",
                                     ROOT / "tests" / "data" / "corpus"))
SCORES = sorted(p for p in CORPUS.iterdir() if p.suffix in (".mid", ".txt"))


def run_command(score, notes_name, cwd, all_tracks=False):
    """`morvane [-a] SCORE NOTES` in cwd: (status, console, standard error,
    note list or None)."""
    args = [COMMAND] + (["--all-tracks"] if all_tracks else [])
    done = subprocess.run(args + [str(score), notes_name], cwd=cwd,
                          capture_output=True, check=False)
    # The command flushes standard output before it writes to standard error.
    console = (done.stdout + done.stderr).decode("utf-8", "surrogateescape")
    written = pathlib.Path(cwd, notes_name)
    return (done.returncode, console, done.stderr.decode(),
            written.read_bytes() if written.exists() else None)


def fixed3(value):
    """A number as the note list writes it: three decimals, halves away from
    zero, and a negative number that rounds to zero keeps its sign."""
    return str(Decimal(value).quantize(Decimal("0.001"), ROUND_HALF_UP))


def note_line(row):
    """The note list's line for a row of Translation.notes."""
    return "%s \t%d\t%d\t%d\t%s" % (fixed3(row["start"]), row["channel"],
                                    row["key"], row["velocity"],
                                    fixed3(row["duration"]))

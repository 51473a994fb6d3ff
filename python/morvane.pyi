"""Scores to Corvanthelumbra note lists, as the morvane command makes them."""

import os
from typing import Union

import numpy as np
import numpy.typing as npt

# A path names a score file; bytes hold the score itself.
Source = Union[str, os.PathLike[str], os.PathLike[bytes], bytes, bytearray,
               memoryview]

class ScoreError(ValueError):
    """A score the command refuses: badly formed, a number out of range."""
    status: int
    console: str
    kind: str  # "badly_formed", "out_of_range" or "same_file"

class Translation:
    """A score translated: the note list and what the run found."""
    @property
    def note_list(self) -> bytes: ...
    @property
    def console(self) -> str: ...
    @property
    def instruments(self) -> list[str]: ...
    @property
    def track_names(self) -> list[str]:
        """One a track of the file: the text of its first name event, or ''."""
    @property
    def format(self) -> int: ...
    @property
    def division(self) -> int: ...
    @property
    def tempo_map(self) -> npt.NDArray[np.void]:
        """Fields ticks, microseconds_per_quarter (int64), seconds (float64),
        track (int64): a row per Tempo event; 500,000 before the first."""
    @property
    def passed_over(self) -> int: ...
    @property
    def notes(self) -> npt.NDArray[np.void]:
        """Fields start, duration (float64 beats), channel (int64), key,
        velocity (int32), track (int64), start_seconds, duration_seconds
        (float64)."""
    def __len__(self) -> int: ...

def translate(source: Source, *, all_tracks: bool = False) -> Translation:
    """Translates a score into a note list kept in memory."""

def starts_like_score(first_bytes: bytes) -> bool: ...

def write_note_list(source: Source,
                    destination: Union[str, os.PathLike[str], os.PathLike[bytes]],
                    *, all_tracks: bool = False,
                    sync: bool = False) -> Translation:
    """Translates a score into the note list file destination, as the command does."""

"""Importing the module where NumPy is missing."""

import os
import subprocess
import sys

# An interpreter without NumPy: a finder ahead of the others refuses it.
WITHOUT_NUMPY = """
import sys
class NoNumpy:
    def find_spec(self, name, path=None, target=None):
        if name.partition(".")[0] == "numpy":
            raise ModuleNotFoundError("No module named %r" % name, name=name)
sys.meta_path.insert(0, NoNumpy())
try:
    import morvane
except ImportError as error:
    print(error)
"""


def test_missing_numpy_says_what_to_install():
    done = subprocess.run([sys.executable, "-c", WITHOUT_NUMPY],
                          capture_output=True, text=True, check=True,
                          env=os.environ)
    assert "morvane needs NumPy" in done.stdout
    assert "No module named 'numpy'" in done.stdout
    assert "python3-numpy" in done.stdout
    assert "pip install numpy" in done.stdout

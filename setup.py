"""The module `morvane` for pip, built by CMake.

pip's build runs CMake on this tree's CMakeLists.txt, so the module has the
very sources, compile flags and version of the command's build: no second
list of files to keep in step. It needs what that build needs (cmake, g++,
pybind11-dev, python3-dev) and nothing from the network. CMake works in
build-python/, which a later `pip install` reuses.
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent
WORK = ROOT / "build-python"


def project_version():
    """The version CMakeLists.txt gives the project (MORVANE_VERSION)."""
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(morvane VERSION ([0-9.]+)", text).group(1)


def run(command):
    try:
        subprocess.run(command, check=True)
    except FileNotFoundError:
        sys.exit("morvane: cmake is needed to build the module "
                 "(Debian package cmake)")


def require_wheel():
    """pip's build of a wheel needs the package wheel in this Python (older
    setuptools have no bdist_wheel of their own): say so plainly."""
    try:
        import wheel  # noqa: F401
    except ImportError:
        try:
            from setuptools.command import bdist_wheel  # noqa: F401
        except ImportError:
            sys.exit("morvane: " + sys.executable + " has no package wheel: "
                     "make the environment with /usr/bin/python3 -m venv "
                     "--system-site-packages (Debian's python3-wheel), or "
                     "pip install wheel")


class CMakeBuild(build_ext):
    """Builds the CMake target morvane_python for the Python running pip."""

    def build_extension(self, ext):
        cmake_dir = pathlib.Path(self.build_temp).resolve() / "cmake"
        run(["cmake", "-S", str(ROOT), "-B", str(cmake_dir),
             "-DCMAKE_BUILD_TYPE=Release",
             "-DPython3_EXECUTABLE=" + sys.executable,
             "-DMORVANE_TESTS=OFF", "-DMORVANE_BENCH=OFF"])
        # CMake leaves the module out, with a message, where it finds no
        # pybind11 or no headers for this Python.
        if not (cmake_dir / "python").is_dir():
            sys.exit("morvane: CMake found no pybind11 or no Python headers "
                     "for " + sys.executable + " (Debian packages "
                     "pybind11-dev and python3-dev)")
        jobs = (self.parallel or os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL")
                or os.cpu_count() or 1)
        run(["cmake", "--build", str(cmake_dir), "--target", "morvane_python",
             "--parallel", str(jobs)])
        built = next((cmake_dir / "python").glob("morvane*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(built, target)
        # The stub beside the module, where type checkers look for it.
        shutil.copy(ROOT / "python" / "morvane.pyi",
                    target.with_name("morvane.pyi"))


require_wheel()
WORK.mkdir(exist_ok=True)
setup(
    version=project_version(),
    ext_modules=[Extension("morvane", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # Out of build/, the CMake build folder the README's commands use.
    options={"build": {"build_base": str(WORK)},
             "egg_info": {"egg_base": str(WORK)}},
)

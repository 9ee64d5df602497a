"""The compiled core of the aqvis package, built by CMake for the interpreter
that runs this build: the Python module's target alone (no window, no
aqvis-cli, no tests), in a folder of its own under build-pip/. The version is
the project's, from CMakeLists.txt. Metadata are in pyproject.toml."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent
BUILD = ROOT / "build-pip"


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(Aqvis VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = BUILD / f"cmake-{sys.implementation.cache_tag}"
        args = [
            f"-DPython3_EXECUTABLE={sys.executable}",
            "-DCMAKE_BUILD_TYPE=Release",
            "-DAQVIS_BUILD_PYTHON=ON",
            "-DAQVIS_BUILD_UI=OFF",
            "-DAQVIS_BUILD_CLI=OFF",
            "-DAQVIS_BUILD_PLOT=OFF",
            "-DAQVIS_BUILD_TESTS=OFF",
            "-DAQVIS_BUILD_BENCH=OFF",
        ]
        try:
            import pybind11  # the index's or Debian's; CMake is told where its files are
            args.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
        except ImportError:
            pass
        if shutil.which("ninja"):
            args += ["-G", "Ninja"]
        if shutil.which("ccache"):
            args.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *args], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "aqvis_python",
                        "--parallel", str(os.cpu_count() or 1)], check=True)
        suffix = self.get_ext_filename("_core")[len("_core"):]
        built = build / "python" / "aqvis" / f"_core{suffix}"
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


BUILD.mkdir(exist_ok=True)
setup(
    version=project_version(),
    ext_modules=[Extension("aqvis._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": str(BUILD / "setuptools")},
             "egg_info": {"egg_base": str(BUILD)}},
)

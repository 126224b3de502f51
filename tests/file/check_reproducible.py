#!/usr/bin/python3
"""Two clean builds of the shipped program, in different folders and at
different times, must give the same bytes, and the same as the build in the
source tree.

    check_reproducible.py <source dir>"""

import filecmp
import hashlib
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
INPUTS = ["CMakeLists.txt", "CMakePresets.json", "cmake", "resources", "src", "tests", "tools"]


def clean_build(folder):
    for name in INPUTS:
        source = ROOT / name
        if source.is_dir():
            shutil.copytree(source, folder / name)
        else:
            shutil.copy2(source, folder / name)
    for step in (["cmake", "--preset", "win32"], ["cmake", "--build", "--preset", "win32"]):
        subprocess.run(step, cwd=folder, check=True, stdout=subprocess.DEVNULL)
    return folder / "build/win32/VelmoraCompanion.exe"


def digest(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def main():
    with tempfile.TemporaryDirectory(prefix="velmora-a-") as a, \
            tempfile.TemporaryDirectory(prefix="velmora-build-b-") as b:
        first = clean_build(Path(a))
        time.sleep(2)  # a later second for anything that stamps the time
        second = clean_build(Path(b))
        builds = {"first clean build": first, "second clean build": second,
                  "build in the source tree": ROOT / "build/win32/VelmoraCompanion.exe"}
        for name, path in builds.items():
            print("%-26s %s  %s" % (name, digest(path), path))
        differing = [name for name, path in builds.items() if not filecmp.cmp(first, path, shallow=False)]
        if differing:
            print("FAIL: differs from the first clean build: %s" % ", ".join(differing))
            return 1
    print("OK: identical bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())

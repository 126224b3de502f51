#!/usr/bin/env python3
"""Builds the example installer, packaging/Velmora.nsi, around the shipped
32-bit companion and the publisher's screen saver.

    build_installer.py <screen saver> <installer to write>

`make installer SCREEN_SAVER=...` runs it; so does the installer test, with
a stand-in screen saver. The screen saver must be a Windows program (a .scr
is one): an empty or other placeholder file is refused, so that none ends up
in an installer by accident."""

import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
COMPANION = ROOT / "build/win32/VelmoraCompanion.exe"
SCRIPT = ROOT / "packaging/Velmora.nsi"


def refuse(message):
    print("build_installer: " + message, file=sys.stderr)
    return 2


def main():
    if len(sys.argv) != 3:
        return refuse("usage: build_installer.py <screen saver> <installer to write>")
    screen_saver, output = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    if not screen_saver.is_file():
        return refuse("no screen saver at %s" % screen_saver)
    with screen_saver.open("rb") as f:
        if f.read(2) != b"MZ":
            return refuse("%s is not a Windows program, so it is no screen saver" % screen_saver)
    if not COMPANION.is_file():
        return refuse("build the shipped companion first (make win32)")
    output.parent.mkdir(parents=True, exist_ok=True)
    result = subprocess.run(["makensis", "-V2", "-NOCD",
                             "-DCOMPANION=%s" % COMPANION,
                             "-DSCREEN_SAVER=%s" % screen_saver,
                             "-DOUTFILE=%s" % output,
                             str(SCRIPT)])
    if result.returncode != 0:
        return refuse("makensis failed")
    print("Installer: %s (companion %s, screen saver %s)" % (output, COMPANION, screen_saver))
    return 0


if __name__ == "__main__":
    sys.exit(main())

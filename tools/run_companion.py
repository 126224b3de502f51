#!/usr/bin/env python3
"""Runs the companion under Wine with the arguments in $ARGS (as `make run
ARGS=...` passes them) and prints what changed: the [boot] SCRNSAVE.EXE entry
of SYSTEM.INI before and after, screen saving, and the programs the
companion started, which in the demo prefix are recording stand-ins.

The demo prefix lives in build/demo-prefix and keeps its state between runs.
On first use it gets an empty Velmora.scr in its Windows directory, standing
in for the real screen saver."""

import os
import subprocess
import sys
from pathlib import Path

from wine_lab import WINE, Lab

ROOT = Path(__file__).resolve().parents[1]


def wine_runs_32_bit():
    """Whether the installed Wine has a 32-bit loader this kernel can start."""
    loader = Path("/usr/lib/wine/wine")
    if not loader.exists():
        return False
    try:
        return subprocess.run([str(loader), "--version"], capture_output=True, timeout=30).returncode == 0
    except OSError:
        return False


def scrnsave(lab):
    """The entry as the file holds it: its value, or a note that it is absent."""
    path = lab.system_ini
    if not path.exists():
        return "(no SYSTEM.INI)"
    section = None
    for line in path.read_bytes().decode("latin-1").splitlines():
        line = line.strip()
        if line.startswith("[") and "]" in line:
            section = line[1:line.index("]")].strip().lower()
        elif section == "boot" and "=" in line:
            key, value = line.split("=", 1)
            if key.strip().upper() == "SCRNSAVE.EXE":
                return "SCRNSAVE.EXE=" + value.strip()
    return "(no SCRNSAVE.EXE in [boot])"


def main():
    args = os.environ.get("ARGS", "")
    if wine_runs_32_bit():
        companion, which = ROOT / "build/win32/VelmoraCompanion.exe", "the shipped 32-bit build"
    else:
        companion, which = ROOT / "build/win64/VelmoraCompanion.exe", \
            "the x86-64 build (this Wine cannot run 32-bit programs)"
    lab = Lab(ROOT / "build/demo-prefix", ROOT / "build/win64", companion)
    print("Running %s under %s:" % (which, WINE))
    print("  VelmoraCompanion.exe" + (" " + args if args else ""))
    lab.start()
    try:
        if not lab.screen_saver.exists():
            lab.screen_saver.write_bytes(b"")
        lab.clear_logs()
        before = scrnsave(lab)
        report = lab.run(b"VelmoraCompanion.exe " + args.encode("latin-1") if args else b"VelmoraCompanion.exe")
        after = scrnsave(lab)
        started = [("rundll32 stand-in", s) for s in Lab.starts(lab.rundll32_log)] + \
                  [("browser stand-in", s) for s in Lab.starts(lab.browser_log)]
    finally:
        lab.stop()

    print("Exit code:        %s" % report["exit"])
    print("SYSTEM.INI [boot] before: %s" % before)
    print("                  after:  %s" % after)
    print("Screen saving:    %s (the runner switches it off before each run)"
          % ("on" if report["active"] == "1" else "off"))
    if started:
        print("Programs started:")
        for who, start in started:
            print("  %s  (%s, show state %s)" % (start["command"].decode("latin-1"), who, start["show"]))
    else:
        print("Programs started: none")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Runs the companion under Wine with the arguments in $ARGS (as `make run
ARGS=...` passes them) and prints what changed: where the SCRNSAVE.EXE entry
is recorded, before and after, screen saving, and the programs the companion
started, which in the demo prefix are recording stand-ins.

It runs the shipped 32-bit build, under Wine's WoW64 as 64-bit Windows runs
it, on the NT-family profile ($PROFILE=nt, the default), where the entry is
the value HKCU\\Control Panel\\Desktop\\SCRNSAVE.EXE; $PROFILE=9x shows the
Windows 9x form, where it is a line of SYSTEM.INI. Only where this machine
cannot run 32-bit programs does it fall back to the x86-64 twin, and says so.

The demo prefix lives in build/demo-prefix and keeps its state between runs.
On first use it gets an empty Velmora.scr in its Windows directory, standing
in for the real screen saver."""

import os
import sys
from pathlib import Path

from wine_lab import WINE, Lab, wine32_missing

ROOT = Path(__file__).resolve().parents[1]
PROFILES = {
    "nt": "NT family ([boot] SCRNSAVE.EXE of SYSTEM.INI is mapped to HKCU\\Control Panel\\Desktop)",
    "9x": "Windows 9x ([boot] of SYSTEM.INI is the file itself)",
}


def ini_entry(lab):
    """The entry as the SYSTEM.INI file holds it, or a note that it is absent."""
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


def registry_entry(value):
    return "(no value)" if value is None else '"%s"' % value.decode("latin-1")


def main():
    args = os.environ.get("ARGS", "")
    profile = os.environ.get("PROFILE", "nt").lower()
    if profile not in PROFILES:
        print("PROFILE must be nt or 9x, not %r" % profile, file=sys.stderr)
        return 2
    missing = wine32_missing()
    if missing is None:
        build, which = "win32", "the shipped 32-bit build, under Wine's WoW64"
    else:
        build, which = "win64", "the x86-64 twin, as %s" % missing
    lab = Lab(ROOT / "build/demo-prefix", ROOT / "build" / build, ROOT / "build/win64")
    print("Running build/%s/VelmoraCompanion.exe, %s (%s)" % (build, which, WINE))
    print("Profile: %s" % PROFILES[profile])
    print("  VelmoraCompanion.exe" + (" " + args if args else ""))
    if lab.must_be_made():
        print("(making the demo Wine prefix in build/demo-prefix first: about half a minute)")
    sys.stdout.flush()
    lab.start()
    try:
        lab.set_profile(profile)
        if not lab.screen_saver.exists():
            lab.screen_saver.write_bytes(b"")
        lab.clear_logs()
        ini_before = ini_entry(lab)
        report = lab.run(b"VelmoraCompanion.exe " + args.encode("latin-1") if args else b"VelmoraCompanion.exe")
        ini_after = ini_entry(lab)
        started = [("rundll32 stand-in", s) for s in Lab.starts(lab.rundll32_log)] + \
                  [("browser stand-in", s) for s in Lab.starts(lab.browser_log)]
    finally:
        lab.stop()

    print("Exit code:        %s" % report["exit"])
    print("HKCU\\Control Panel\\Desktop\\SCRNSAVE.EXE")
    print("  before: %s" % registry_entry(report["desktop_scrnsave_before"]))
    print("  after:  %s" % registry_entry(report["desktop_scrnsave"]))
    print("SYSTEM.INI [boot]")
    print("  before: %s" % ini_before)
    print("  after:  %s" % ini_after)
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

#!/usr/bin/env python3
"""Benchmark figures for the companion: sizes against the floors, run time
of the shipped 32-bit exe under Wine's WoW64 against the floors, and the
DLLs each path loads.

Two floors, built with the same toolchain, flags and icon, and doing nothing
but end their process:
- tools/bench/Kernel32Only.cpp imports ExitProcess from KERNEL32 alone: the
  cheapest Windows process there is. The ratio to it is what starting the
  companion costs in all.
- tools/bench/DoNothing.cpp links the companion's platform layer, so it has
  the companion's imports and loads the same DLLs. The ratio to it is what
  the companion's own work costs, with loading user32 and shell32 taken out.

    bench.py            (BENCH_RUNS sets the interleaved runs per path, 30 at least)

Where this machine cannot run 32-bit programs it times the x86-64 builds
instead and says so."""

import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
from pathlib import Path

from wine_lab import COMPANION, WINE, Lab, wine32_missing

ROOT = Path(__file__).resolve().parents[1]
RUNS = max(30, int(os.environ.get("BENCH_RUNS", "30")))
PATHS = [("no switch", b""), ("/iw", b" /iw"), ("/wb", b" /wb")]
FLOORS = [("same imports", "do_nothing.exe"), ("kernel32 only", "kernel32_only.exe")]
WARM_UP = 3


def machine():
    cpu = "unknown CPU"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    wine = subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout.strip()
    return "%s, %d cores, %s %s, %s" % (cpu, os.cpu_count(), platform.system(), platform.release(), wine)


def dlls(report):
    """The DLLs Wine's loaddll channel saw the companion's own process load."""
    names = []
    for line in report["log"].splitlines():
        if line.startswith(report["pid"] + ":") and "Loaded L\"" in line:
            path = re.search(r'Loaded L"([^"]*)"', line).group(1)
            name = path.replace("\\\\", "\\").rsplit("\\", 1)[-1].lower()
            if name.endswith(".dll"):
                names.append(name)
    return names


def main():
    missing = wine32_missing()
    build = "win32" if missing is None else "win64"
    build_dir = ROOT / "build" / build
    lab = Lab(ROOT / "build/bench-prefix", build_dir, ROOT / "build/win64")
    lab.start()
    # Every program run: (who, path) -> (process times, times to the end of
    # everything it started), in microseconds.
    programs = [("companion", COMPANION, b"VelmoraCompanion.exe")] + \
        [(floor, "C:\\companion\\" + exe, exe.encode()) for floor, exe in FLOORS]
    times = {(who, path): ([], []) for who, _, _ in programs for path, _ in PATHS}
    try:
        lab.set_profile("nt")
        for _, exe in FLOORS:
            shutil.copyfile(build_dir / exe, lab.drive / "companion" / exe)
        lab.reset(b"[boot]\r\n")
        for round_ in range(RUNS + WARM_UP):
            for path, args in PATHS:
                for who, program, name in programs:
                    report = lab.run(name + args, program)
                    if round_ >= WARM_UP:
                        times[(who, path)][0].append(int(report["process_us"]))
                        times[(who, path)][1].append(int(report["job_us"]))
            lab.clear_logs()
        loaded = {path: dlls(lab.run(b"VelmoraCompanion.exe" + args, debug="+pid,+loaddll"))
                  for path, args in PATHS}
    finally:
        lab.stop()

    def median_ms(who, path, which=0):
        return statistics.median(times[(who, path)][which]) / 1000

    print("VelmoraCompanion benchmark")
    print("Machine: %s" % machine())
    print()
    print("%-22s %8s %14s %15s" % ("Size, bytes", "exe", "same imports", "kernel32 only"))
    for name, folder in (("shipped exe (32-bit)", "win32"), ("x86-64 twin", "win64")):
        sizes = [(ROOT / "build" / folder / exe).stat().st_size
                 for exe in ("VelmoraCompanion.exe", "do_nothing.exe", "kernel32_only.exe")]
        print("%-22s %8d %14d %15d" % (name, *sizes))
    print()
    if missing is None:
        print("Run time of the shipped 32-bit exe under Wine's WoW64, NT-family profile,")
    else:
        print("Run time of the x86-64 builds (the 32-bit ones cannot run here: %s)," % missing)
    print("warm wineserver, %d interleaved runs each; median ms from CreateProcessA to the" % RUNS)
    print("end of the process, and to the end of everything it started")
    print("%-10s %9s %13s %6s %14s %6s %14s" % ("path", "companion", "same imports", "ratio", "kernel32 only",
                                                 "ratio", "with started"))
    for path, _ in PATHS:
        own = median_ms("companion", path)
        same, bare = median_ms(FLOORS[0][0], path), median_ms(FLOORS[1][0], path)
        print("%-10s %9.1f %13.1f %6.2f %14.1f %6.2f %14.1f"
              % (path, own, same, own / same, bare, own / bare, median_ms("companion", path, 1)))
    print()
    print("DLLs loaded by the companion's own process")
    for path, _ in PATHS:
        print("%-10s %2d  %s" % (path, len(loaded[path]), " ".join(loaded[path])))
    return 0


if __name__ == "__main__":
    sys.exit(main())

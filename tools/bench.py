#!/usr/bin/env python3
"""Benchmark figures for the companion: sizes against the floor, run time
under wine64 against the floor, and the DLLs each path loads.

The floor is tools/bench/DoNothing.cpp: built with the same toolchain, flags,
icon and platform layer as the companion, it only ends its process.

    bench.py            (BENCH_RUNS sets the interleaved runs per path, 30 at least)"""

import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
from pathlib import Path

from wine_lab import COMPANION, Lab

ROOT = Path(__file__).resolve().parents[1]
RUNS = max(30, int(os.environ.get("BENCH_RUNS", "30")))
FLOOR = r"C:\companion\do_nothing.exe"
PATHS = [("no switch", b""), ("/iw", b" /iw"), ("/wb", b" /wb")]


def machine():
    cpu = "unknown CPU"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    wine = subprocess.run(["/usr/lib/wine/wine64", "--version"], capture_output=True, text=True).stdout.strip()
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
    sizes = [
        ("shipped exe (32-bit)", ROOT / "build/win32/VelmoraCompanion.exe", ROOT / "build/win32/do_nothing.exe"),
        ("x86-64 twin", ROOT / "build/win64/VelmoraCompanion.exe", ROOT / "build/win64/do_nothing.exe"),
    ]
    lab = Lab(ROOT / "build/bench-prefix", ROOT / "build/win64")
    lab.start()
    try:
        shutil.copyfile(ROOT / "build/win64/do_nothing.exe", lab.drive / "companion" / "do_nothing.exe")
        lab.reset(b"[boot]\r\n")
        times = {(path, who): ([], []) for path, _ in PATHS for who in ("companion", "floor")}
        for round_ in range(RUNS + 3):  # the first three warm up and are not counted
            for path, args in PATHS:
                for who, program, name in (("companion", COMPANION, b"VelmoraCompanion.exe"),
                                           ("floor", FLOOR, b"do_nothing.exe")):
                    report = lab.run(name + args, program)
                    if round_ >= 3:
                        times[(path, who)][0].append(int(report["process_us"]))
                        times[(path, who)][1].append(int(report["job_us"]))
            lab.clear_logs()
        loaded = {path: dlls(lab.run(b"VelmoraCompanion.exe" + args, debug="+pid,+loaddll"))
                  for path, args in PATHS}
    finally:
        lab.stop()

    print("VelmoraCompanion benchmark")
    print("Machine: %s" % machine())
    print()
    print("%-24s %8s %8s %10s" % ("Size", "bytes", "floor", "over floor"))
    for name, path, floor in sizes:
        size, floor_size = path.stat().st_size, floor.stat().st_size
        print("%-24s %8d %8d %+10d" % (name, size, floor_size, size - floor_size))
    print()
    print("Run time under wine64, x86-64 builds, warm wineserver, %d interleaved runs each;" % RUNS)
    print("median ms from CreateProcessA to the end of the process (and of everything it started)")
    print("%-10s %12s %12s %7s %22s" % ("path", "companion", "floor", "ratio", "with started programs"))
    ratios = []
    for path, _ in PATHS:
        own = statistics.median(times[(path, "companion")][0]) / 1000
        floor = statistics.median(times[(path, "floor")][0]) / 1000
        job = statistics.median(times[(path, "companion")][1]) / 1000
        ratios.append(own / floor)
        print("%-10s %12.1f %12.1f %7.2f %22.1f" % (path, own, floor, own / floor, job))
    print()
    print("DLLs loaded by the companion's own process")
    for path, _ in PATHS:
        print("%-10s %2d  %s" % (path, len(loaded[path]), " ".join(loaded[path])))
    print()
    shipped = sizes[0][1].stat().st_size
    counts = sorted(len(names) for names in loaded.values())
    print("Summary: shipped exe %d bytes (floor %d); run time %.2f to %.2f times the floor; %d to %d DLLs"
          % (shipped, sizes[0][2].stat().st_size, min(ratios), max(ratios), counts[0], counts[-1]))
    return 0


if __name__ == "__main__":
    sys.exit(main())

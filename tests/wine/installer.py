#!/usr/bin/env python3
"""The example installer, end to end: built around the shipped 32-bit exe
with a stand-in screen saver, installed silently under Wine on the NT-family
profile, its shortcuts opened through the shell, and uninstalled silently.

    installer.py --build-dir build/win32 --helpers-dir build/win64 --prefix build/wine/prefix --work build/wine/installer

The installer is a 32-bit program: where this machine cannot run 32-bit
programs at all the run is reported as skipped (exit code 77), with the
reason."""

import argparse
import hashlib
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))
from wine_lab import Lab, run_tests  # noqa: E402

INSTALL_DIR = r"C:\Program Files (x86)\Velmora"
START_MENU = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Velmora"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
BROWSER_COMMAND = b'"C:\\browser\\browser.exe" "http://velmora.example"'
SHORT_PATH = "the short path"  # stands for what the platform calls the screen saver's short path
OTHER_VALUE = b"C:\\OTHER\\OTHER.SCR"
INSTALL_TIMEOUT_MS = 120000

# What the installer puts in place, and only that.
INSTALLED = [
    INSTALL_DIR + r"\VelmoraCompanion.exe",
    INSTALL_DIR + r"\Uninstall.exe",
    r"C:\windows\Velmora.scr",
    START_MENU + r"\Make Velmora my screen saver.lnk",
    START_MENU + r"\Velmora home page.lnk",
]

# Each shortcut, opened as a user's click would: the value of
# HKCU\Control Panel\Desktop\SCRNSAVE.EXE before and after, and the times the
# page was opened.
SHORTCUTS = [
    ("home page", "Velmora home page.lnk", OTHER_VALUE, OTHER_VALUE, 1),
    ("make it my screen saver again", "Make Velmora my screen saver.lnk", OTHER_VALUE, SHORT_PATH, 0),
]


class Installer(unittest.TestCase):
    def setUp(self):
        self.lab = Lab(OPTIONS.prefix, OPTIONS.build_dir, OPTIONS.helpers_dir)
        self.lab.start()
        self.addCleanup(self.lab.stop)
        self.lab.set_profile("nt")
        self.clean_slate()
        work = Path(OPTIONS.work).resolve()
        work.mkdir(parents=True, exist_ok=True)
        self.stand_in = work / "Velmora.scr"
        shutil.copyfile(Path(OPTIONS.build_dir) / "recorder.exe", self.stand_in)
        installer = work / "VelmoraSetup.exe"
        installer.unlink(missing_ok=True)
        subprocess.run([sys.executable, str(ROOT / "tools/build_installer.py"), str(self.stand_in),
                        str(installer)], check=True, stdout=subprocess.DEVNULL)
        shutil.copyfile(installer, self.lab.drive / "lab" / "VelmoraSetup.exe")

    def clean_slate(self):
        """Takes away whatever an interrupted earlier run left installed."""
        for path in INSTALLED:
            self.lab.linux(path).unlink(missing_ok=True)
        for folder in (INSTALL_DIR, START_MENU):
            shutil.rmtree(self.lab.linux(folder), ignore_errors=True)
        if self.registered():
            self.lab.wine("reg", "delete", UNINSTALL_KEY, "/f", "/reg:32")

    def registered(self):
        return self.lab.wine("reg", "query", UNINSTALL_KEY, "/reg:32").returncode == 0

    def snapshot(self):
        """Every file and folder in Program Files, the Start menus and the
        Windows directory's top level, with the bytes' digest for files."""
        found = {}
        roots = [self.lab.drive / "Program Files", self.lab.drive / "Program Files (x86)",
                 self.lab.drive / "ProgramData/Microsoft/Windows/Start Menu"]
        roots += sorted((self.lab.drive / "users").glob("*/AppData/Roaming/Microsoft/Windows/Start Menu"))
        for root in roots:
            for path in [root, *root.rglob("*")]:
                found[str(path)] = hashlib.sha256(path.read_bytes()).hexdigest() if path.is_file() else "folder"
        for path in (self.lab.drive / "windows").iterdir():
            if path.is_file() and path.name.lower() != "system.ini":
                found[str(path)] = "file"
        return found

    def run_program(self, command_line, program, **options):
        report = self.lab.run(command_line, program, timeout_ms=INSTALL_TIMEOUT_MS, **options)
        self.assertEqual(report["timeout"], "0", "%s or what it started did not end" % program)
        self.assertEqual(report["exit"], "0", "%s exit code" % program)
        return report

    def test_install_open_the_shortcuts_and_uninstall(self):
        before = self.snapshot()

        report = self.run_program(b"VelmoraSetup.exe /S", r"C:\lab\VelmoraSetup.exe", desktop_scrnsave=None)
        short = report["shortpath"].encode("latin-1")
        self.assertTrue(short.lower().endswith(b"\\velmora.scr"), short)
        self.assertEqual(self.lab.linux(INSTALL_DIR + r"\VelmoraCompanion.exe").read_bytes(),
                         (Path(OPTIONS.build_dir) / "VelmoraCompanion.exe").read_bytes(),
                         "the installed companion is not the shipped exe")
        self.assertEqual(self.lab.linux(r"C:\windows\Velmora.scr").read_bytes(), self.stand_in.read_bytes(),
                         "the screen saver in the Windows directory")
        for path in INSTALLED:
            self.assertTrue(self.lab.linux(path).is_file(), path)
        self.assertEqual(report["desktop_scrnsave"], short, "the install's /iw run set no screen saver")
        self.assertEqual(report["active"], "1", "the install's /iw run did not switch screen saving on")
        self.assertTrue(self.registered(), "no uninstall registration")

        for name, shortcut, value_before, value_after, pages in SHORTCUTS:
            with self.subTest(name):
                self.lab.clear_logs()
                report = self.run_program(b'harness shellopen "%s\\%s"' % (START_MENU.encode(), shortcut.encode()),
                                          r"C:\lab\harness.exe", desktop_scrnsave=value_before)
                self.assertEqual(report["desktop_scrnsave"], short if value_after is SHORT_PATH else value_after,
                                 "HKCU\\Control Panel\\Desktop\\SCRNSAVE.EXE")
                self.assertEqual([(s["command"], s["show"]) for s in Lab.starts(self.lab.browser_log)],
                                 [(BROWSER_COMMAND, "1")] * pages, "the home page opened")

        self.run_program(b"Uninstall.exe /S", INSTALL_DIR + r"\Uninstall.exe")
        for path in INSTALLED:
            self.assertFalse(self.lab.linux(path).exists(), "%s is still there" % path)
        for folder in (INSTALL_DIR, START_MENU):
            self.assertFalse(self.lab.linux(folder).exists(), "%s is still there" % folder)
        self.assertFalse(self.registered(), "the uninstall registration is still there")
        self.assertEqual(self.snapshot(), before, "Program Files, the Start menu or the Windows directory changed")


def main():
    global OPTIONS
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True, help="the 32-bit build, with the shipped exe")
    parser.add_argument("--helpers-dir", required=True, help="the x86-64 build, with the harness")
    parser.add_argument("--prefix", required=True, help="the Wine prefix to use (created on first use)")
    parser.add_argument("--work", required=True, help="a folder for the stand-in screen saver and the installer")
    OPTIONS, rest = parser.parse_known_args()
    return run_tests(rest, needs_32_bit="the 32-bit installer")


if __name__ == "__main__":
    sys.exit(main())

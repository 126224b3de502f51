#!/usr/bin/env python3
"""End-to-end tests: one build of the companion on Wine's Win32, every
effect observed from outside, on two platform profiles.

    end_to_end.py --build win32 --build-dir build/win32 --helpers-dir build/win64 --prefix build/wine/prefix

The 32-bit build runs under Wine's WoW64, as 64-bit Windows runs it; when
this machine cannot run 32-bit programs at all (found out by starting Wine's
32-bit loader), the run is reported as skipped (exit code 77) with the
reason. Profile "9x": profile calls on SYSTEM.INI work on the file. Profile
"NT": the prefix maps [boot] to the registry as NT-family Windows do, so
SCRNSAVE.EXE lives in HKCU\\Control Panel\\Desktop.

Each case starts from a fixture SYSTEM.INI, screen saving off and no recorded
starts; the harness waits, bounded, until the companion and everything it
started have ended."""

import argparse
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from wine_lab import KEEP, Lab, run_tests  # noqa: E402

NAME = b"C:\\companion\\VelmoraCompanion.exe"
CONTROL_PANEL = b"rundll32 shell32.dll,Control_RunDLL desk.cpl,,1"
BROWSER_COMMAND = b'"C:\\browser\\browser.exe" "http://velmora.example"'
# The longest command line CreateProcessA takes: 32,767 characters with the
# terminating zero.
LONGEST = 32766

# Written in the form Wine's profile code writes back, so that every byte of
# it can be expected to survive.
FIXTURE = (b"; written by the test suite\r\n"
           b"[boot]\r\n"
           b"shell=Explorer.exe\r\n"
           b"SCRNSAVE.EXE=C:\\OLD\\OLD.SCR\r\n"
           b"system.drv=system.drv\r\n"
           b"[mci]\r\n"
           b"cdaudio=mcicda.dll\r\n"
           b"; a comment\r\n"
           b"[386Enh]\r\n"
           b"woafont=dosapp.fon\r\n")


def with_entry(fixture, value):
    return fixture.replace(b"SCRNSAVE.EXE=C:\\OLD\\OLD.SCR", b"SCRNSAVE.EXE=" + value)


NONE, ACTIVATION, PAGE = "none", "activation", "page"
BYTES_1_TO_255 = bytes(range(1, 256))

DISPATCH = [
    ("no argument", NAME, NONE),
    ("empty command line", b"", NONE),
    ("only blanks and controls", NAME + b" \t\r\n\x01\x1f ", NONE),
    ("activation switch", NAME + b" /iw", ACTIVATION),
    ("page switch", NAME + b" /wb", PAGE),
    ("characters after the third ignored", NAME + b" /iwxyz", ACTIVATION),
    ("page then activation text", NAME + b" /wb/iw", PAGE),
    ("upper case", NAME + b" /IW", NONE),
    ("mixed case", NAME + b" /Wb", NONE),
    ("too short", NAME + b" /i", NONE),
    ("minus sign", NAME + b" -iw", NONE),
    ("backslash", NAME + b" \\iw", NONE),
    ("unknown first, switch second", NAME + b" /x /iw", NONE),
    ("first of two switches", NAME + b" /iw /wb", ACTIVATION),
    ("blanks and tabs before", NAME + b" \t \t /wb", PAGE),
    ("switch in quotes", NAME + b' "/iw"', ACTIVATION),
    ("quoted switch with a blank and a word", NAME + b' "/wb now"', PAGE),
    ("quote between /w and b", NAME + b' /w"b"', PAGE),
    ("pair of quotes before", NAME + b' "" /iw', ACTIVATION),
    ("pair of quotes glued on", NAME + b' ""/wb', PAGE),
    ("quoted program name with blanks", b'"C:\\Program Files\\Velmora\\VelmoraCompanion.exe" /wb', PAGE),
    ("switch as the program name", b"/iw", NONE),
    ("unclosed quote", NAME + b' "/iw and the rest', ACTIVATION),
    ("lone trailing quote", NAME + b' "', NONE),
    ("control byte inside the switch", NAME + b" /i\x01w", NONE),
    ("high bytes after the switch", NAME + b" /wb\xe9\xff", PAGE),
    ("high byte before the switch", NAME + b" \xa0/wb", NONE),
    ("delete byte inside the switch", NAME + b" /i\x7fw", NONE),
    # Hostile lines: every byte 1 to 255, and the longest line there is.
    ("every byte after the page switch", NAME + b" /wb" + BYTES_1_TO_255, PAGE),
    ("every printable and high byte glued to the switch", NAME + b" /iw" + bytes(range(33, 256)),
     ACTIVATION),
    ("every byte as the first argument", NAME + b" " + BYTES_1_TO_255, NONE),
    ("every byte in the program name", BYTES_1_TO_255 + b" /wb", NONE),
    ("longest line, switch last", b"p" * (LONGEST - 4) + b" /wb", PAGE),
    ("longest line, long first argument", NAME + b" /iw" + b"x" * (LONGEST - len(NAME) - 4),
     ACTIVATION),
    ("longest line of blanks", NAME + b" " * (LONGEST - len(NAME)), NONE),
    ("longest line, long unknown argument", NAME + b" " + b"/" * (LONGEST - len(NAME) - 1), NONE),
]


def setUpModule():
    global LAB
    print("Running the %s build, %s" % (OPTIONS.build, Path(OPTIONS.build_dir) / "VelmoraCompanion.exe"))
    sys.stdout.flush()
    LAB = Lab(OPTIONS.prefix, OPTIONS.build_dir, OPTIONS.helpers_dir)
    try:
        LAB.start()
    except BaseException:
        LAB.stop()
        raise


def tearDownModule():
    LAB.stop()


class CompanionOnWine(unittest.TestCase):
    """What every case checks, whatever the profile."""
    family = None

    @classmethod
    def setUpClass(cls):
        cls.lab = LAB
        cls.lab.set_profile(cls.family)

    def run_case(self, command_line, system_ini=FIXTURE, screen_saver_present=True, reset=True,
                 desktop_scrnsave=KEEP):
        if reset:
            self.lab.reset(system_ini, screen_saver_present)
        report = self.lab.run(command_line, desktop_scrnsave=desktop_scrnsave)
        self.assertEqual(report["exit"], "0", "exit code")
        self.assertEqual(report["timeout"], "0", "the companion or a program it started did not end")
        self.assertEqual(report["profile"], report["profile_before"], "the user profile was written")
        return report

    def expect_system_ini(self, expected):
        if expected is None:
            self.assertEqual(self.lab.system_ini_files(), [], "SYSTEM.INI was created")
        else:
            self.assertEqual(self.lab.system_ini.read_bytes(), expected, "SYSTEM.INI")

    def expect_desktop_unchanged(self, report, but_scrnsave=False):
        """The Desktop key holds what it held before, value for value; with
        but_scrnsave, except for SCRNSAVE.EXE."""
        def values(dump):
            return [v for v in dump.split(" ") if not (but_scrnsave and v.startswith("SCRNSAVE.EXE:"))]
        self.assertEqual(values(report["desktop"]), values(report["desktop_before"]),
                         "HKCU\\Control Panel\\Desktop changed")

    def expect_no_job(self, report, system_ini=FIXTURE):
        self.expect_system_ini(system_ini)
        self.expect_desktop_unchanged(report)
        self.assertEqual(report["active"], "0", "screen saving was switched on")
        self.assertEqual(Lab.starts(self.lab.rundll32_log), [], "rundll32 started")
        self.assertEqual(Lab.starts(self.lab.browser_log), [], "the browser started")

    def expect_activation(self, report, entry):
        """Screen saving on for the session only, and the control panel
        started once, after the entry was written and screen saving switched
        on: it finds entry through the profile call."""
        self.assertEqual(report["active"], "1", "screen saving is not on")
        self.assertEqual(report["volatile"], "1", "the setting is not in the session's parameters")
        self.assertEqual(Lab.starts(self.lab.rundll32_log),
                         [{"command": CONTROL_PANEL, "show": "5", "scrnsave": entry, "active": "1"}],
                         "the control panel start, and what it found when it started")
        self.assertEqual(Lab.starts(self.lab.browser_log), [], "the browser started")

    def expect_page(self, report, system_ini=FIXTURE, runs=1):
        self.expect_system_ini(system_ini)
        self.expect_desktop_unchanged(report)
        self.assertEqual(report["active"], "0", "screen saving was switched on")
        self.assertEqual([(s["command"], s["show"]) for s in Lab.starts(self.lab.browser_log)],
                         [(BROWSER_COMMAND, "1")] * runs)
        self.assertEqual(Lab.starts(self.lab.rundll32_log), [], "rundll32 started")


class NinetyFamily(CompanionOnWine):
    """No mapping: the entry goes to the SYSTEM.INI file itself."""
    family = "9x"

    def expect_file_activation(self, report, expected_ini, entry):
        self.expect_system_ini(expected_ini)
        self.expect_desktop_unchanged(report)
        self.expect_activation(report, entry)

    def test_dispatch_and_splitting_on_the_real_command_line(self):
        for name, command_line, job in DISPATCH:
            with self.subTest(name):
                report = self.run_case(command_line)
                if job == ACTIVATION:
                    short = report["shortpath"].encode("latin-1")
                    self.expect_file_activation(report, with_entry(FIXTURE, short), short)
                elif job == PAGE:
                    self.expect_page(report)
                else:
                    self.expect_no_job(report)

    def test_activation_writes_what_the_platform_calls_the_short_path(self):
        report = self.run_case(NAME + b" /iw")
        short = report["shortpath"].encode("latin-1")
        self.assertTrue(short.lower().endswith(b"\\velmora.scr"), short)
        self.expect_file_activation(report, with_entry(FIXTURE, short), short)

    def test_activation_with_the_file_absent_writes_an_empty_value(self):
        report = self.run_case(NAME + b" /iw", screen_saver_present=False)
        self.assertEqual(report["shortpath"], "")
        self.expect_file_activation(report, with_entry(FIXTURE, b""), b"")

    def test_activation_adds_what_is_missing(self):
        rows = [
            ("no SYSTEM.INI at all", None, b"[boot]\r\nSCRNSAVE.EXE=%s\r\n"),
            ("no [boot] section", b"[mci]\r\ncdaudio=mcicda.dll\r\n",
             b"[mci]\r\ncdaudio=mcicda.dll\r\n[boot]\r\nSCRNSAVE.EXE=%s\r\n"),
            ("[boot] without the key", b"[boot]\r\nshell=Explorer.exe\r\n[mci]\r\n",
             b"[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=%s\r\n[mci]\r\n"),
        ]
        for name, before, after in rows:
            with self.subTest(name):
                report = self.run_case(NAME + b" /iw", system_ini=before)
                short = report["shortpath"].encode("latin-1")
                self.expect_file_activation(report, after.replace(b"%s", short), short)

    def test_every_page_run_opens_the_page_again(self):
        self.run_case(NAME + b" /wb")
        report = self.run_case(NAME + b" /wb", reset=False)
        self.expect_page(report, runs=2)


OLD_VALUE = b"C:\\OLD\\OLD.SCR"
SHORT_PATH = "the short path"  # stands for what the platform calls the file's short path

# NT family: name, command line, SYSTEM.INI before (and after, untouched),
# screen saver file present, Desktop SCRNSAVE.EXE before (None: no value),
# the job, and the value afterwards.
NT_ROWS = [
    ("activation replaces an old value", NAME + b" /iw", FIXTURE, True, OLD_VALUE, ACTIVATION, SHORT_PATH),
    ("activation adds the value", NAME + b" /iw", FIXTURE, True, None, ACTIVATION, SHORT_PATH),
    ("activation over an empty value", NAME + b" /iw", FIXTURE, True, b"", ACTIVATION, SHORT_PATH),
    ("activation with no SYSTEM.INI creates none", NAME + b" /iw", None, True, OLD_VALUE, ACTIVATION,
     SHORT_PATH),
    ("file absent: an empty value, not a deleted one", NAME + b" /iw", FIXTURE, False, OLD_VALUE, ACTIVATION,
     b""),
    ("file absent and no value before", NAME + b" /iw", FIXTURE, False, None, ACTIVATION, b""),
    ("quoted switch with more after it", NAME + b' "/iwxyz" /wb', FIXTURE, True, OLD_VALUE, ACTIVATION,
     SHORT_PATH),
    ("page leaves the value", NAME + b" /wb", FIXTURE, True, OLD_VALUE, PAGE, OLD_VALUE),
    ("page leaves no value alone", NAME + b" /wb", FIXTURE, True, None, PAGE, None),
    ("no argument", NAME, FIXTURE, True, OLD_VALUE, NONE, OLD_VALUE),
    ("no argument, no value", NAME, FIXTURE, False, None, NONE, None),
    ("upper case", NAME + b" /IW", FIXTURE, True, OLD_VALUE, NONE, OLD_VALUE),
    ("unknown first, switch second", NAME + b" /x /iw", FIXTURE, True, OLD_VALUE, NONE, OLD_VALUE),
]


class NtFamily(CompanionOnWine):
    """[boot] mapped to the registry: SCRNSAVE.EXE is a value of
    HKCU\\Control Panel\\Desktop, and SYSTEM.INI stays as it was."""
    family = "nt"

    def test_the_entry_lands_in_the_user_registry(self):
        for name, command_line, system_ini, present, before, job, after in NT_ROWS:
            with self.subTest(name):
                report = self.run_case(command_line, system_ini, present, desktop_scrnsave=before)
                if after is SHORT_PATH:
                    after = report["shortpath"].encode("latin-1")
                    self.assertTrue(after.lower().endswith(b"\\velmora.scr"), after)
                self.assertEqual(report["desktop_scrnsave"], after, "HKCU\\Control Panel\\Desktop\\SCRNSAVE.EXE")
                if job == ACTIVATION:
                    self.expect_system_ini(system_ini)
                    self.expect_desktop_unchanged(report, but_scrnsave=True)
                    self.expect_activation(report, after)
                elif job == PAGE:
                    self.expect_page(report, system_ini)
                else:
                    self.expect_no_job(report, system_ini)


def main():
    global OPTIONS
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, choices=["win32", "win64"])
    parser.add_argument("--build-dir", required=True, help="the build whose companion runs")
    parser.add_argument("--helpers-dir", required=True, help="the x86-64 build, with the harness")
    parser.add_argument("--prefix", required=True, help="the Wine prefix to use (created on first use)")
    OPTIONS, rest = parser.parse_known_args()
    return run_tests(rest, needs_32_bit="the 32-bit build" if OPTIONS.build == "win32" else None)


if __name__ == "__main__":
    sys.exit(main())

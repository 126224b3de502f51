"""A Wine prefix set up to run the companion and watch what it does.

The prefix is a 64-bit one, which runs the 32-bit build the way 64-bit
Windows does when Debian's wine32 is installed, and the x86-64 build as it
is. It holds the companion in C:\\companion, a recording stand-in of the same
build named rundll32.exe beside it (the platform's program search looks in
the program's own folder first), a second stand-in registered as the program
for http addresses, and the harness that starts the companion with a raw
command line and reports the platform's state afterwards. Its profile, 9x or
NT, says whether [boot] of SYSTEM.INI is the file itself or, as on NT-family
Windows, mapped to the registry. Used by the end-to-end suite, `make run`
and `make bench`."""

import functools
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"
COMPANION = r"C:\companion\VelmoraCompanion.exe"
BROWSER = r"C:\browser\browser.exe"
HARNESS = r"C:\lab\harness.exe"
COMMAND_FILE = r"C:\lab\command.txt"
SCRNSAVE_FILE = r"C:\lab\scrnsave.txt"
RUN_TIMEOUT_MS = 10000
# What Wine writes when a process it starts finds its heap where Windows
# keeps the shared user data, and ends before the program runs.
LOST_START = b"failed to map the shared user data"
# The exit code CTest takes for a skipped Wine test (SKIP_RETURN_CODE).
SKIPPED = 77


@functools.cache
def wine32_missing():
    """Why this machine cannot run 32-bit Windows programs, found out by
    starting Wine's 32-bit loader; None when it can. Asked once a run: the
    answer does not change while it lasts."""
    try:
        result = subprocess.run([WINE32, "--version"], capture_output=True, timeout=60)
    except FileNotFoundError:
        return "Wine's 32-bit loader %s is not installed (Debian's wine32:i386 brings it)" % WINE32
    except OSError as error:
        return "this kernel cannot start Wine's 32-bit loader %s: %s" % (WINE32, error)
    if result.returncode != 0:
        return "Wine's 32-bit loader %s does not start: %r" % (WINE32, result.stderr[-300:])
    return None


@functools.cache
def fixed_layout():
    """The command prefix that starts Wine without address-space
    randomization, or nothing where the kernel refuses that. Debian's Wine 8
    has no preloader, so it reserves the addresses Windows fixes (the shared
    user data page at 0x7ffe0000 among them) only once the C library is up;
    this kernel starts a 64-bit program's heap anywhere in the 1 GiB after
    the loader at 0x7d000000, and about one start in several thousand finds
    its heap on that page and dies before the program runs. Processes that
    Wine starts inherit the setting."""
    command = ["setarch", os.uname().machine, "-R"]
    try:
        if subprocess.run(command + ["true"], capture_output=True, timeout=30).returncode == 0:
            return command
    except OSError:
        pass
    return []


def run_tests(argv, needs_32_bit=None):
    """Runs the calling script's test cases, verbosely, with these extra
    arguments and returns the exit code for CTest. needs_32_bit names what
    only runs where 32-bit programs can: where they cannot, the run is
    skipped, with the reason."""
    if needs_32_bit:
        reason = wine32_missing()
        if reason:
            print("SKIPPED: %s cannot run here: %s" % (needs_32_bit, reason))
            return SKIPPED
    program = unittest.main(argv=[sys.argv[0], "-v"] + argv, exit=False)
    return 0 if program.result.wasSuccessful() else 1


def wineserver():
    return shutil.which("wineserver") or "/usr/lib/wine/wineserver64"


def unescape(text):
    """Undoes the %XX escapes of the Wine helpers (tests/wine/Escaped.h)."""
    out, i = bytearray(), 0
    raw = text.encode("latin-1")
    while i < len(raw):
        if raw[i] == ord("%"):
            out.append(int(raw[i + 1:i + 3], 16))
            i += 3
        else:
            out.append(raw[i])
            i += 1
    return bytes(out)


# The state of HKCU\Control Panel\Desktop\SCRNSAVE.EXE a run starts from:
# KEEP leaves it as it is, None means no such value, bytes are its text.
KEEP = object()


class Lab:
    def __init__(self, prefix, build_dir, helpers_dir, companion=None):
        """build_dir: the build whose companion and recording stand-in run;
        helpers_dir: the x86-64 build, which holds the harness."""
        self.prefix = Path(prefix).resolve()
        self.build_dir = Path(build_dir).resolve()
        self.helpers_dir = Path(helpers_dir).resolve()
        self.companion = Path(companion or self.build_dir / "VelmoraCompanion.exe").resolve()
        self.drive = self.prefix / "drive_c"
        # No Gecko or Mono to install, no menu entries on the Linux side for
        # the shortcuts an installer makes, and of Wine's own messages only
        # its memory manager's errors, which say why a process did not start.
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEARCH="win64",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", WINEDEBUG="-all,err+virtual",
                        LC_ALL="C.UTF-8")
        self.env.pop("DISPLAY", None)
        self.server_started = False

    # Paths on the Linux side.
    def linux(self, windows_path):
        """Where a path on drive C: of the prefix is."""
        return self.drive / windows_path[3:].replace("\\", "/")

    def system_ini_files(self):
        """Every spelling of SYSTEM.INI in the Windows directory: names are
        case-blind there, but not on the Linux side."""
        return [p for p in (self.drive / "windows").iterdir() if p.name.lower() == "system.ini"]

    @property
    def system_ini(self):
        files = self.system_ini_files()
        if len(files) > 1:
            raise RuntimeError("more than one SYSTEM.INI: %s" % files)
        return files[0] if files else self.drive / "windows" / "system.ini"

    @property
    def screen_saver(self):
        return self.drive / "windows" / "Velmora.scr"

    @property
    def rundll32_log(self):
        return self.drive / "companion" / "rundll32.exe.log"

    @property
    def browser_log(self):
        return self.drive / "browser" / "browser.exe.log"

    def wine(self, *args, timeout=60, debug=None):
        """Runs a Windows program, laid out as fixed_layout() says, with
        Wine's debug channels set to debug if given; its output goes through
        files, not pipes, because the processes Wine starts in the
        background would hold a pipe open long after the program itself has
        ended. A start that Wine lost before the program ran (see
        fixed_layout) is made again, at most three times."""
        env = dict(self.env, WINEDEBUG=debug) if debug else self.env
        for _ in range(3):
            result = self.wine_once(args, env, timeout)
            if result.returncode != 1 or result.stdout or LOST_START not in result.stderr:
                break
            print("note: Wine lost the start of %r before it ran; starting it again" % (args,), file=sys.stderr)
        return result

    def wine_once(self, args, env, timeout):
        """One start of a Windows program, as wine() describes it."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                code = subprocess.run([*fixed_layout(), WINE, *args], env=env, stdin=subprocess.DEVNULL,
                                      stdout=out, stderr=err, timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                out.seek(0)
                err.seek(0)
                raise RuntimeError("%r did not end within %s s; it wrote %r and %r; Wine's processes then: %s"
                                   % (args, timeout, out.read()[-2000:], err.read()[-2000:], self.processes()))
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(args, code, out.read(), err.read())

    def processes(self):
        """The processes of this prefix, as ps shows them: for a report."""
        lines = []
        for entry in Path("/proc").iterdir():
            try:
                if not entry.name.isdigit():
                    continue
                environ = (entry / "environ").read_bytes().split(b"\0")
                if ("WINEPREFIX=%s" % self.prefix).encode() not in environ:
                    continue
                status = dict(line.split(":", 1) for line in (entry / "status").read_text().splitlines()
                              if ":" in line)
                command = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode("latin-1").strip()
                lines.append("%s %s %s" % (entry.name, status.get("State", "?").strip(), command))
            except OSError:
                continue
        return "; ".join(lines)

    def lacks_32_bit_system(self):
        """A prefix made before wine32 was installed has no 32-bit system
        DLLs, wineboot does not add them, and every 32-bit start in it fails;
        such a prefix has to be made anew."""
        return (self.prefix / "system.reg").exists() and wine32_missing() is None and \
            not (self.drive / "windows" / "syswow64" / "kernel32.dll").exists()

    def must_be_made(self):
        """Whether start() has to make the prefix, first or anew."""
        return not (self.prefix / "system.reg").exists() or self.lacks_32_bit_system()

    def start(self):
        """Starts one wineserver for all runs, creates the prefix on first use
        (or anew, when it cannot run 32-bit programs although this Wine can)
        and puts the programs in place."""
        if self.lacks_32_bit_system():
            subprocess.run([wineserver(), "-k"], env=self.env, timeout=30)
            subprocess.run([wineserver(), "-w"], env=self.env, timeout=30)
            shutil.rmtree(self.prefix)
        self.prefix.mkdir(parents=True, exist_ok=True)
        if subprocess.run([wineserver(), "-p"], env=self.env, timeout=30).returncode != 0:
            # A server left behind on this prefix by an interrupted run.
            subprocess.run([wineserver(), "-k"], env=self.env, timeout=30)
            subprocess.run([wineserver(), "-w"], env=self.env, timeout=30)
            subprocess.run([wineserver(), "-p"], env=self.env, check=True, timeout=30)
        self.server_started = True
        if not (self.prefix / "system.reg").exists():
            result = self.wine("wineboot", "-i", timeout=300)
            if result.returncode != 0:
                raise RuntimeError("wineboot failed: %r" % result.stderr[-500:])
        for folder in ("companion", "browser", "lab"):
            (self.drive / folder).mkdir(exist_ok=True)
        shutil.copyfile(self.companion, self.drive / "companion" / "VelmoraCompanion.exe")
        shutil.copyfile(self.build_dir / "recorder.exe", self.drive / "companion" / "rundll32.exe")
        shutil.copyfile(self.build_dir / "recorder.exe", self.drive / "browser" / "browser.exe")
        shutil.copyfile(self.helpers_dir / "harness.exe", self.drive / "lab" / "harness.exe")
        result = self.wine("reg", "add", r"HKCR\http\shell\open\command", "/ve", "/d",
                           '"%s" "%%1"' % BROWSER, "/f")
        if result.returncode != 0:
            raise RuntimeError("registering the browser stand-in failed: %r" % result.stderr)

    def stop(self):
        """Ends this prefix's wineserver, and only this one."""
        if self.server_started:
            subprocess.run([wineserver(), "-k"], env=self.env, timeout=30)
            self.server_started = False

    def set_profile(self, family):
        """"9x": profile calls on SYSTEM.INI [boot] work on the file; "nt":
        they reach the registry, SCRNSAVE.EXE in HKCU\Control Panel\Desktop."""
        result = self.wine(HARNESS, "profile", family)
        if result.returncode != 0:
            raise RuntimeError("setting the %s profile failed: %r %r" % (family, result.stdout, result.stderr))

    def reset(self, system_ini, screen_saver_present=True):
        """A known state: the given SYSTEM.INI bytes (None: no file), the
        screen saver file present or not, no recorded starts. The harness
        switches screen saving off itself before each run."""
        for existing in self.system_ini_files():
            existing.unlink()
        if system_ini is not None:
            (self.drive / "windows" / "system.ini").write_bytes(system_ini)
        if screen_saver_present:
            self.screen_saver.write_bytes(b"")
        else:
            self.screen_saver.unlink(missing_ok=True)
        self.clear_logs()

    def clear_logs(self):
        self.rundll32_log.unlink(missing_ok=True)
        self.browser_log.unlink(missing_ok=True)

    def run(self, command_line, program=COMPANION, debug=None, desktop_scrnsave=KEEP,
            timeout_ms=RUN_TIMEOUT_MS):
        """Runs the companion (or another program) with these raw command-line
        bytes, from the given state of the Desktop key's SCRNSAVE.EXE;
        returns the harness's report as a dict, with desktop_scrnsave and
        desktop_scrnsave_before as bytes (None: no value). With debug,
        Wine's debug channels are switched on and the report's "log" holds
        what they wrote."""
        self.linux(COMMAND_FILE).write_bytes(command_line)
        setup = []
        if desktop_scrnsave is None:
            setup = ["desktop-scrnsave-absent"]
        elif desktop_scrnsave is not KEEP:
            self.linux(SCRNSAVE_FILE).write_bytes(desktop_scrnsave)
            setup = ["desktop-scrnsave=" + SCRNSAVE_FILE]
        result = self.wine(HARNESS, "run", program, COMMAND_FILE, str(timeout_ms), *setup,
                           timeout=timeout_ms / 1000 + 30, debug=debug)
        report = {"log": result.stderr.decode("latin-1")} if debug else {}
        for line in result.stdout.decode("latin-1").splitlines():
            name, _, value = line.partition("=")
            report[name] = value
        if result.returncode != 0 or "error" in report:
            raise RuntimeError("harness failed: %r %r" % (report, result.stderr[-500:]))
        lost = int(report.get("lost_starts", 0)) + int(report.get("probe_lost_starts", 0))
        if lost:
            print("note: Wine lost %d start(s) before the program ran, and the harness started it again: %r"
                  % (lost, result.stderr[-500:]), file=sys.stderr)
        for name in ("desktop_scrnsave", "desktop_scrnsave_before"):
            value = report.get(name, "<absent>")
            report[name] = None if value == "<absent>" else unescape(value)
        return report

    @staticmethod
    def starts(log):
        """The starts a stand-in recorded: one dict per start."""
        if not log.exists():
            return []
        starts = []
        for line in log.read_bytes().decode("latin-1").splitlines():
            fields = dict(field.split("=", 1) for field in line.split(" "))
            starts.append({"command": unescape(fields["command"]), "show": fields["show"],
                           "scrnsave": unescape(fields["scrnsave"]), "active": fields["active"]})
        return starts

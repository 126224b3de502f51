#!/usr/bin/python3
"""Checks the built executables themselves, read with pefile: machine and
subsystem, security flags, imports, resources and size.

    check_executables.py <source dir>"""

import struct
import sys
import unittest
from pathlib import Path

import pefile

ROOT = Path(sys.argv.pop(1) if len(sys.argv) > 1 else ".").resolve()

# Exactly what the program calls: its Win32 calls, and the C runtime's
# allocator and the comparison its strings use. Nothing registered for exit
# (no atexit): the process-wide strings have no destructor.
IMPORTS = {
    "kernel32.dll": {"GetCommandLineA", "ExitProcess", "GetWindowsDirectoryA", "GetShortPathNameA",
                     "WritePrivateProfileStringA", "WinExec"},
    "user32.dll": {"SystemParametersInfoA"},
    "shell32.dll": {"ShellExecuteA"},
    "msvcrt.dll": {"realloc", "free", "memcmp"},
}
RT_ICON, RT_GROUP_ICON = 3, 14
US_ENGLISH = 1033
SHIPPED_LIMIT = 16384

BUILDS = [
    # name, file, machine, optional-header magic, size limit
    ("shipped 32-bit", ROOT / "build/win32/VelmoraCompanion.exe", 0x14C, 0x10B, SHIPPED_LIMIT),
    ("x86-64 twin", ROOT / "build/win64/VelmoraCompanion.exe", 0x8664, 0x20B, None),
]


def resources(pe):
    """(type id, name, language, bytes) for every resource."""
    found = []
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for entry in kind.directory.entries:
            name = str(entry.name) if entry.name is not None else entry.id
            for language in entry.directory.entries:
                data = pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)
                found.append((kind.id, name, language.id, data))
    return found


class Executables(unittest.TestCase):
    def each_build(self):
        for name, path, machine, magic, limit in BUILDS:
            with self.subTest(name):
                yield path, pefile.PE(str(path)), machine, magic, limit

    def test_machine_and_gui_subsystem(self):
        for path, pe, machine, magic, _ in self.each_build():
            self.assertEqual(pe.FILE_HEADER.Machine, machine)
            self.assertEqual(pe.OPTIONAL_HEADER.Magic, magic)
            self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])

    def test_address_space_randomisation_and_no_execute(self):
        for path, pe, *_ in self.each_build():
            flags = pe.OPTIONAL_HEADER.DllCharacteristics
            for flag in ("IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE", "IMAGE_DLLCHARACTERISTICS_NX_COMPAT"):
                self.assertTrue(flags & pefile.DLL_CHARACTERISTICS[flag], flag)

    def test_imports_exactly_what_the_program_calls(self):
        for path, pe, *_ in self.each_build():
            imports = {}
            for entry in pe.DIRECTORY_ENTRY_IMPORT:
                names = [i.name.decode() if i.name else "#%d" % i.ordinal for i in entry.imports]
                self.assertEqual(len(names), len(set(names)), "a function imported twice")
                imports.setdefault(entry.dll.decode().lower(), set()).update(names)
            self.assertEqual(imports, IMPORTS)

    def test_one_us_english_icon_and_nothing_else(self):
        for path, pe, *_ in self.each_build():
            found = resources(pe)
            self.assertEqual(sorted((kind, language) for kind, _, language, _ in found),
                             [(RT_ICON, US_ENGLISH), (RT_GROUP_ICON, US_ENGLISH)],
                             "exactly one icon image and one icon group, in language 1033")
            group = next(r for r in found if r[0] == RT_GROUP_ICON)
            image = next(r for r in found if r[0] == RT_ICON)
            self.assertEqual(group[1], "MAINICON")
            reserved, kind, count = struct.unpack_from("<HHH", group[3])
            self.assertEqual((reserved, kind, count), (0, 1, 1), "one image in the group")
            width, height, colours, _, planes, bits, size, image_id = struct.unpack_from("<BBBBHHIH", group[3], 6)
            self.assertEqual((width, height, colours, planes, bits), (32, 32, 16, 1, 4))
            self.assertEqual((image_id, size), (image[1], len(image[3])), "the group names the image")
            header_size, bmp_width, bmp_height, bmp_planes, bmp_bits = struct.unpack_from("<IiiHH", image[3])
            self.assertEqual((header_size, bmp_width, bmp_height, bmp_planes, bmp_bits), (40, 32, 64, 1, 4),
                             "a 32 x 32 image at 4 bits per pixel (the height counts the mask too)")

    def test_shipped_size(self):
        for path, pe, _, _, limit in self.each_build():
            if limit is not None:
                self.assertLessEqual(path.stat().st_size, limit)


class Sources(unittest.TestCase):
    def test_windows_header_only_in_the_platform_layer(self):
        offenders = [str(p.relative_to(ROOT)) for p in (ROOT / "src").rglob("*")
                     if p.is_file() and p.parent != ROOT / "src/platform"
                     and "windows.h" in p.read_text(errors="replace").lower()]
        self.assertEqual(offenders, [])


if __name__ == "__main__":
    unittest.main(verbosity=2)

// Recording stand-in for the programs the companion starts (rundll32 and the
// web browser), a Windows program built for each of the companion's builds
// and run under Wine. Each start appends one line to "<its own path>.log":
//
//   command=<raw command line> show=<show state or -> scrnsave=<[boot] SCRNSAVE.EXE or <absent>> active=<0|1>
//
// so the suite sees the exact command line, the show state it was given, and
// what the profile call for [boot] SCRNSAVE.EXE of SYSTEM.INI (the file, or
// the registry where [boot] is mapped) and screen saving gave when it
// started. Text is written as Escaped.h escapes it.

#include "Escaped.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    std::string show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "-";

    char scrnsave[MAX_PATH];
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "<absent>", scrnsave, sizeof scrnsave, "SYSTEM.INI");
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string log = std::string(self) + ".log";
    if (FILE* f = std::fopen(log.c_str(), "ab")) {
        std::fprintf(f, "command=%s show=%s scrnsave=%s active=%d\n", Escaped(GetCommandLineA()).c_str(),
                     show.c_str(), Escaped(scrnsave).c_str(), active ? 1 : 0);
        std::fclose(f);
    }
    return 0;
}

// Test harness for the end-to-end suite, a 64-bit Windows program run under
// Wine. It starts the companion of either build.
//
//   harness run <exe> <command-line file> <timeout ms> [desktop-scrnsave=<file> | desktop-scrnsave-absent]
//   harness profile 9x|nt
//   harness shellopen <file>
//
// "run" first puts HKCU\Control Panel\Desktop\SCRNSAVE.EXE in a known state
// when asked (the value read from <file>, or no value), switches screen
// saving off (for this session only, as the companion's own change is),
// starts <exe> with the file's bytes as its raw command line, inside a job
// object, and waits until it and everything it started have ended. It
// prints, one "name=value" per line, the exit code, whether the wait timed
// out, the process id (hex, as Wine's debug channels write it), the
// microseconds from CreateProcessA to the end of the process and to the end
// of everything it started, and the persistent registry value behind screen
// saving and every value of the Desktop key as they were before the run;
// then "harness probe", a fresh process (a process keeps the system
// parameters it has read), prints what the platform says now: screen saving,
// the persistent and volatile registry values, the Desktop key, and the short
// path of C:\windows\Velmora.scr as GetShortPathNameA gives it. Last come
// the starts Wine lost (see Start) for <exe> and for the probe.
//
// "profile nt" maps [boot] of SYSTEM.INI to the registry the way NT-family
// Windows ship it, in the 64-bit and the 32-bit registry views:
// SCRNSAVE.EXE to HKCU\Control Panel\Desktop, the rest of the section to
// HKLM. "profile 9x" removes the mapping, so the profile calls work on the
// file itself, as on Windows 9x.
//
// "shellopen" asks the shell to open <file> with its default verb, as a
// click in Explorer does (a shortcut runs its target); run it under "run" to
// wait for what it starts. Its exit code is 0 when the shell took the
// request, otherwise the error.

#include "Escaped.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const char DesktopKey[] = "Control Panel\\Desktop";
const char VolatileKey[] = "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop";
const char BootMappingKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\system.ini\\boot";

std::string ReadFile(const char* path) {
    std::string bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

std::string RegistryText(const char* key, const char* name) {
    char value[1024];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<absent>";
    return Escaped(value);
}

// Every value of HKCU\Control Panel\Desktop as "name:type:data" with the
// name and data escaped, sorted by name, joined by blanks.
std::string DesktopValues() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    std::vector<std::string> values;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        BYTE data[65536];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back(Escaped(std::string(name, nameSize)) + ":" + std::to_string(type) + ":" +
                         Escaped(std::string(reinterpret_cast<char*>(data), dataSize)));
    }
    RegCloseKey(key);
    std::sort(values.begin(), values.end());
    std::string joined;
    for (const std::string& value : values)
        joined += (joined.empty() ? "" : " ") + value;
    return joined;
}

bool SetDesktopScrnsave(const char* valueFile) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, DesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status;
    if (valueFile) {
        std::string value = ReadFile(valueFile);
        status = RegSetValueExA(key, "SCRNSAVE.EXE", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1));
    } else {
        status = RegDeleteValueA(key, "SCRNSAVE.EXE");
        if (status == ERROR_FILE_NOT_FOUND)
            status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Wine's CreateProcess fails with ERROR_INTERNAL_ERROR when the new process
// ended before Wine had set it up, before the program's imports were loaded
// or any of its code ran: under Debian's Wine 8, a 64-bit process whose heap
// Linux put on the shared user data page ends so (see fixed_layout() in
// tools/wine_lab.py, which prevents it where it can). Such a lost start
// changed nothing, so it is made again, at most three times; *lost counts
// them for the report. The clock in *started is read just before the start
// that counts.
bool Start(const char* exe, char* commandLine, BOOL inherit, DWORD flags, STARTUPINFOA* startup,
           PROCESS_INFORMATION* process, LARGE_INTEGER* started, int* lost) {
    for (*lost = 0;; ++*lost) {
        if (started)
            QueryPerformanceCounter(started);
        if (CreateProcessA(exe, commandLine, nullptr, nullptr, inherit, flags, nullptr, nullptr, startup,
                           process))
            return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR || *lost == 2)
            return false;
    }
}

DWORD ActiveProcesses(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr))
        return 0;
    return info.ActiveProcesses;
}

void Probe() {
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    char shortPath[MAX_PATH] = "";
    DWORD count = GetShortPathNameA("C:\\windows\\Velmora.scr", shortPath, sizeof shortPath);
    std::printf("active=%d\n", active ? 1 : 0);
    std::printf("profile=%s\n", RegistryText(DesktopKey, "ScreenSaveActive").c_str());
    std::printf("volatile=%s\n", RegistryText(VolatileKey, "ScreenSaveActive").c_str());
    std::printf("desktop=%s\n", DesktopValues().c_str());
    std::printf("desktop_scrnsave=%s\n", RegistryText(DesktopKey, "SCRNSAVE.EXE").c_str());
    std::printf("shortpath=%s\n", count ? shortPath : "");
}

// Starts this program again as "harness probe", sharing standard output.
void RunProbe() {
    std::fflush(stdout);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    char commandLine[] = "harness probe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    int lost;
    if (!Start(self, commandLine, TRUE, 0, &startup, &process, nullptr, &lost)) {
        std::printf("error=probe failed to start with %lu on try %d\n", GetLastError(), lost + 1);
        return;
    }
    WaitForSingleObject(process.hProcess, 10000);
    std::printf("probe_lost_starts=%d\n", lost);
}

int Run(const char* exe, const char* commandLineFile, DWORD timeout, const char* setup) {
    if (setup) {
        const char* valueFile = nullptr;
        if (std::strncmp(setup, "desktop-scrnsave=", 17) == 0)
            valueFile = setup + 17;
        else if (std::strcmp(setup, "desktop-scrnsave-absent") != 0) {
            std::printf("error=unknown setup %s\n", setup);
            return 2;
        }
        if (!SetDesktopScrnsave(valueFile)) {
            std::printf("error=setting HKCU\\%s\\SCRNSAVE.EXE failed\n", DesktopKey);
            return 1;
        }
    }
    // Wine starts its desktop process (explorer.exe /desktop) for the first
    // program of a session that needs one and keeps it running; start it
    // here, outside the job, so that it is not taken for something the
    // program under test started and is waited for.
    GetDesktopWindow();
    std::string profileBefore = RegistryText(DesktopKey, "ScreenSaveActive");
    std::string desktopBefore = DesktopValues();
    std::string scrnsaveBefore = RegistryText(DesktopKey, "SCRNSAVE.EXE");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDWININICHANGE);

    std::string commandLine = ReadFile(commandLineFile);
    LARGE_INTEGER frequency, start, processEnd, jobEnd;
    QueryPerformanceFrequency(&frequency);
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    int lost;
    if (!Start(exe, &commandLine[0], FALSE, CREATE_SUSPENDED, &startup, &process, &start, &lost)) {
        std::printf("error=CreateProcessA failed with %lu on try %d\n", GetLastError(), lost + 1);
        return 1;
    }
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);

    DWORD started = GetTickCount();
    bool timedOut = WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0;
    QueryPerformanceCounter(&processEnd);
    while (!timedOut && ActiveProcesses(job) > 0) {
        if (GetTickCount() - started > timeout)
            timedOut = true;
        else
            Sleep(5);
    }
    QueryPerformanceCounter(&jobEnd);
    if (timedOut)
        TerminateJobObject(job, 1);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);

    std::printf("exit=%lu\n", exitCode);
    std::printf("timeout=%d\n", timedOut ? 1 : 0);
    std::printf("pid=%04lx\n", process.dwProcessId);
    std::printf("process_us=%lld\n", (processEnd.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
    std::printf("job_us=%lld\n", (jobEnd.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
    std::printf("profile_before=%s\n", profileBefore.c_str());
    std::printf("desktop_before=%s\n", desktopBefore.c_str());
    std::printf("desktop_scrnsave_before=%s\n", scrnsaveBefore.c_str());
    std::printf("lost_starts=%d\n", lost);
    RunProbe();
    return 0;
}

// Maps [boot] of SYSTEM.INI to the registry, or removes the mapping, in both
// registry views: a 32-bit process reads the 32-bit one.
int Profile(const char* family) {
    bool nt = std::strcmp(family, "nt") == 0;
    if (!nt && std::strcmp(family, "9x") != 0) {
        std::printf("error=unknown profile %s\n", family);
        return 2;
    }
    const std::pair<const char*, const char*> mapping[] = {
        {"", "SYS:Microsoft\\Windows NT\\CurrentVersion\\WOW\\boot"},
        {"SCRNSAVE.EXE", "USR:Control Panel\\Desktop"},
    };
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        if (!nt) {
            LSTATUS status = RegDeleteKeyExA(HKEY_LOCAL_MACHINE, BootMappingKey, view, 0);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
                std::printf("error=removing the [boot] mapping failed with %ld\n", status);
                return 1;
            }
            continue;
        }
        HKEY key;
        LSTATUS status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, BootMappingKey, 0, nullptr, 0,
                                         KEY_SET_VALUE | view, nullptr, &key, nullptr);
        for (const auto& [name, target] : mapping) {
            if (status == ERROR_SUCCESS)
                status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(target),
                                        static_cast<DWORD>(std::strlen(target) + 1));
        }
        if (status != ERROR_SUCCESS) {
            std::printf("error=mapping [boot] failed with %ld\n", status);
            return 1;
        }
        RegCloseKey(key);
    }
    return 0;
}

int ShellOpen(const char* file) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = file;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) ? 0 : static_cast<int>(GetLastError());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "probe") == 0) {
        Probe();
        return 0;
    }
    if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "run") == 0)
        return Run(argv[2], argv[3], static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)),
                   argc == 6 ? argv[5] : nullptr);
    if (argc == 3 && std::strcmp(argv[1], "profile") == 0)
        return Profile(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "shellopen") == 0)
        return ShellOpen(argv[2]);
    std::fprintf(stderr,
                 "usage: harness run <exe> <command-line file> <timeout ms> "
                 "[desktop-scrnsave=<file> | desktop-scrnsave-absent]\n"
                 "       harness profile 9x|nt\n"
                 "       harness shellopen <file>\n");
    return 2;
}

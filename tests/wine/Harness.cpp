// Test harness for the end-to-end suite, a Windows program run under wine64.
//
//   harness run <exe> <command-line file> <timeout ms>
//
// Switches screen saving off (for this session only, as the companion's own
// change is), starts <exe> with the file's bytes as its raw command line,
// inside a job object, and waits until it and everything it started have
// ended. It prints, one "name=value" per line, the exit code, whether the
// wait timed out, the process id (hex, as Wine's debug channels write it),
// the microseconds from CreateProcessA to the end of the process and to the
// end of everything it started, and the persistent registry value behind
// screen saving as it was before the run; then "harness probe", a fresh process (a process
// keeps the system parameters it has read), prints what the platform says
// now: screen saving, the persistent and volatile registry values, and the
// short path of C:\windows\Velmora.scr as GetShortPathNameA gives it.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char ProfileKey[] = "Control Panel\\Desktop";
const char VolatileKey[] = "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop";

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
    char value[256];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<absent>";
    return value;
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
    std::printf("profile=%s\n", RegistryText(ProfileKey, "ScreenSaveActive").c_str());
    std::printf("volatile=%s\n", RegistryText(VolatileKey, "ScreenSaveActive").c_str());
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
    if (!CreateProcessA(self, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("error=probe failed to start with %lu\n", GetLastError());
        return;
    }
    WaitForSingleObject(process.hProcess, 10000);
}

int Run(const char* exe, const char* commandLineFile, DWORD timeout) {
    std::string profileBefore = RegistryText(ProfileKey, "ScreenSaveActive");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDWININICHANGE);

    std::string commandLine = ReadFile(commandLineFile);
    LARGE_INTEGER frequency, start, processEnd, jobEnd;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process)) {
        std::printf("error=CreateProcessA failed with %lu\n", GetLastError());
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
    RunProbe();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "probe") == 0) {
        Probe();
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "run") == 0)
        return Run(argv[2], argv[3], static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)));
    std::fprintf(stderr, "usage: harness run <exe> <command-line file> <timeout ms>\n");
    return 2;
}

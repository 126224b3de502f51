// The program's Win32 calls, one thin forwarding operation each.

#include "Win32.h"

// <windows.h> defines the constants' names as macros, so take the program's
// values before it is included and compare them afterwards.
namespace {
constexpr auto OurScreenSaveActive = Platform::SPI_SETSCREENSAVEACTIVE;
constexpr auto OurSendWinIniChange = Platform::SPIF_SENDWININICHANGE;
constexpr auto OurShowNormal = Platform::SW_SHOWNORMAL;
constexpr auto OurShow = Platform::SW_SHOW;
}  // namespace

#include <windows.h>
#include <shellapi.h>

static_assert(OurScreenSaveActive == SPI_SETSCREENSAVEACTIVE, "SPI_SETSCREENSAVEACTIVE");
static_assert(OurSendWinIniChange == SPIF_SENDWININICHANGE, "SPIF_SENDWININICHANGE");
static_assert(OurShowNormal == SW_SHOWNORMAL, "SW_SHOWNORMAL");
static_assert(OurShow == SW_SHOW, "SW_SHOW");

namespace Platform {

const char* GetCommandLineA() { return ::GetCommandLineA(); }

void ExitProcess(std::uint32_t exitCode) { ::ExitProcess(exitCode); }

std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    return ::GetWindowsDirectoryA(buffer, size);
}

std::uint32_t GetShortPathNameA(const char* longPath, char* buffer, std::uint32_t size) {
    return ::GetShortPathNameA(longPath, buffer, size);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
    return ::WritePrivateProfileStringA(section, key, value, fileName) != FALSE;
}

std::uint32_t WinExec(const char* commandLine, std::uint32_t showCommand) {
    return ::WinExec(commandLine, showCommand);
}

bool SystemParametersInfoA(std::uint32_t action, std::uint32_t parameter, void* pointer,
                           std::uint32_t flags) {
    return ::SystemParametersInfoA(action, parameter, pointer, flags) != FALSE;
}

std::intptr_t ShellExecuteA(void* ownerWindow, const char* operation, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
    return reinterpret_cast<std::intptr_t>(::ShellExecuteA(
        static_cast<HWND>(ownerWindow), operation, file, parameters, directory, showCommand));
}

}  // namespace Platform

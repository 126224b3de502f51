#pragma once

// The Win32 services the program calls, each behind an operation of the same
// name and in standard C++ types. Win32.cpp implements them on Windows; the
// unit tests link a recording fake in its place. Nothing else in the program
// includes <windows.h>.

#include <cstdint>

namespace Platform {

// Values of the Win32 constants the program passes; Win32.cpp checks each
// against <windows.h> at compile time.
constexpr std::uint32_t SPI_SETSCREENSAVEACTIVE = 17;
constexpr std::uint32_t SPIF_SENDWININICHANGE = 2;
constexpr int SW_SHOWNORMAL = 1;
constexpr std::uint32_t SW_SHOW = 5;

// kernel32
const char* GetCommandLineA();
void ExitProcess(std::uint32_t exitCode);
std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size);
std::uint32_t GetShortPathNameA(const char* longPath, char* buffer, std::uint32_t size);
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);
std::uint32_t WinExec(const char* commandLine, std::uint32_t showCommand);

// user32
bool SystemParametersInfoA(std::uint32_t action, std::uint32_t parameter, void* pointer,
                           std::uint32_t flags);

// shell32
std::intptr_t ShellExecuteA(void* ownerWindow, const char* operation, const char* file,
                            const char* parameters, const char* directory, int showCommand);

}  // namespace Platform

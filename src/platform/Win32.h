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

// The process's whole command line, program name included.
const char* GetCommandLineA();
// Ends the process; on Windows it does not return.
void ExitProcess(std::uint32_t exitCode);
// Writes the Windows directory and returns its length, 0 on failure, or the
// size needed when the buffer is too small.
std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size);
// Writes the short form of an existing file's path; counts as above.
std::uint32_t GetShortPathNameA(const char* longPath, char* buffer, std::uint32_t size);
// Sets a key of an initialization file, creating what is missing.
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);
// Starts a command line as a new process without waiting for it.
std::uint32_t WinExec(const char* commandLine, std::uint32_t showCommand);

// user32

// Changes a system parameter such as screen saving.
bool SystemParametersInfoA(std::uint32_t action, std::uint32_t parameter, void* pointer,
                           std::uint32_t flags);

// shell32

// Asks the shell to act on an item, such as opening a web address.
std::intptr_t ShellExecuteA(void* ownerWindow, const char* operation, const char* file,
                            const char* parameters, const char* directory, int showCommand);

}  // namespace Platform

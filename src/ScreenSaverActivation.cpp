#include "ScreenSaverActivation.h"

#include "platform/Win32.h"

#include <cstdint>

constinit ProcessString SaverPath;
constinit ProcessString ShortSaverPath;

namespace {

// Sizes target for a path query, runs it and keeps exactly the characters it
// reports. A count above the buffer size asks for a larger buffer: the query
// runs once more with that size, and an answer that still does not fit, or
// a size no Win32 path can need, counts as no text. Returns false only when
// memory ran out; target is then empty.
template <typename Query>
bool ReceivePath(StringCore& target, Query query) {
    std::size_t size = PathBufferLength;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!target.SetLength(size)) {
            target.Release();
            return false;
        }
        std::size_t count = query(target.Characters(), static_cast<std::uint32_t>(size));
        if (count <= size)
            return target.SetLength(count);
        if (count > LargestPathBuffer)
            break;
        size = count;
    }
    return target.SetLength(0);
}

std::uint32_t WindowsDirectory(char* buffer, std::uint32_t size) {
    return Platform::GetWindowsDirectoryA(buffer, size);
}

std::uint32_t ShortSaverPathOf(char* buffer, std::uint32_t size) {
    return Platform::GetShortPathNameA(SaverPath.Text(), buffer, size);
}

}  // namespace

// The chain is fixed: directory, short path, SYSTEM.INI entry, screen saving
// on, control panel. No result but the two counts is looked at; only running
// out of memory ends it early, so that no half-built path is ever written.
void ActivateScreenSaver() {
    if (!ReceivePath(SaverPath, WindowsDirectory))
        return;
    if (!SaverPath.Empty() && SaverPath[SaverPath.Length() - 1] != '\\' &&
        !SaverPath.Append('\\'))
        return;
    if (!SaverPath.Append(ScreenSaverFileName, sizeof ScreenSaverFileName - 1))
        return;
    if (!ReceivePath(ShortSaverPath, ShortSaverPathOf))
        return;
    Platform::WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", ShortSaverPath.Text(), "SYSTEM.INI");
    Platform::SystemParametersInfoA(Platform::SPI_SETSCREENSAVEACTIVE, 1, nullptr,
                                    Platform::SPIF_SENDWININICHANGE);
    Platform::WinExec(DisplayControlPanelCommand, Platform::SW_SHOW);
}

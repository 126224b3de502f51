#pragma once

#include "String.h"

#include <cstddef>

constexpr std::size_t PathBufferLength = 260;
// The longest buffer a Win32 path query can ask for: 32,767 characters and
// the terminating zero. A larger count is not believed.
constexpr std::size_t LargestPathBuffer = 32768;
constexpr char ScreenSaverFileName[] = "Velmora.scr";
constexpr char DisplayControlPanelCommand[] = "rundll32 shell32.dll,Control_RunDLL desk.cpl,,1";

// The full path of the screen saver file, and its short form.
extern ProcessString SaverPath;
extern ProcessString ShortSaverPath;

// Makes Velmora.scr in the Windows directory the current screen saver,
// switches screen saving on and opens the Display control panel on its
// screen saver page.
void ActivateScreenSaver();

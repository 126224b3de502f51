// The benchmark's floor: built like the companion, with the same icon and
// the same platform layer, it only ends its process.

#include "platform/Win32.h"

extern "C" __attribute__((force_align_arg_pointer, noreturn)) void CompanionStartup() {
    Platform::ExitProcess(0);
    __builtin_unreachable();
}

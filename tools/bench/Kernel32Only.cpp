// The benchmark's true floor: the cheapest Windows process there is. It
// imports ExitProcess from KERNEL32 alone, so the loader maps no other DLL
// of its own; built with the same toolchain, flags and icon as the
// companion.

#include <windows.h>

extern "C" __attribute__((force_align_arg_pointer, noreturn)) void CompanionStartup() {
    ExitProcess(0);
}

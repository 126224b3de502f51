// The Windows build's entry point. The program links no C runtime start-up
// code: it reads its command line itself, has no static constructors (the
// process-wide strings are constinit) and ends through ExitProcess, so all
// it needs of the C runtime is msvcrt's allocator, which msvcrt.dll sets up
// when it loads. The entry may get a stack aligned to 4 bytes only, so it
// realigns it.

#include "../Entry.h"

extern "C" __attribute__((force_align_arg_pointer, noreturn)) void CompanionStartup() {
    RunCompanion();
    __builtin_unreachable();
}

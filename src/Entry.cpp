#include "Entry.h"

#include "CommandLine.h"
#include "PublisherPage.h"
#include "ScreenSaverActivation.h"
#include "platform/Win32.h"

#include <cstddef>

constinit ProcessString FirstParam;

namespace {

struct Switch {
    const char* Literal;
    std::size_t Length;
    void (*Operation)();
};

// Tested in this order; the first whose literal matches runs.
constexpr Switch Switches[] = {
    {SwitchActivate, sizeof SwitchActivate - 1, ActivateScreenSaver},
    {SwitchWebPage, sizeof SwitchWebPage - 1, OpenPublisherPage},
};

}  // namespace

// Compares the first characters of the argument with each switch in turn,
// exactly and case for case. SwitchText is released on every way out; when
// memory runs out it stays empty and matches nothing.
void DispatchSwitch(const StringCore& firstParam) {
    String SwitchText;
    for (const Switch& candidate : Switches) {
        if (!SwitchText.AssignLeft(firstParam, candidate.Length))
            return;
        if (SwitchText.Equals(candidate.Literal, candidate.Length)) {
            candidate.Operation();
            return;
        }
    }
}

// Every run that gets here ends with exit code 0, whatever the job achieved:
// the program reports nothing, not even through its exit code.
void RunCompanion() {
    FirstParam = CommandLineArgument(1);
    DispatchSwitch(FirstParam);
    Platform::ExitProcess(0);
}

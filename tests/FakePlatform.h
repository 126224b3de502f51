#pragma once

// A recording stand-in for the platform layer: it keeps every call, with its
// arguments, as one line of text, and answers from a script.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace Fake {

// One answer of a path query: the bytes it writes (as many as the buffer
// holds) and the count it returns.
struct PathAnswer {
    std::string Text;
    std::uint32_t Count;
};

struct Script {
    std::string CommandLine;
    std::deque<PathAnswer> WindowsDirectory;  // answers in order; none left: 0
    std::deque<PathAnswer> ShortPath;
    std::intptr_t ShellExecuteResult = 42;
    // When set, GetCommandLineA hands out this text instead: a buffer that
    // ends exactly at its zero byte, so that a read past it is caught.
    const char* CommandLineText = nullptr;
};

// Clears the record and installs a new script.
void Reset(Script script = {});
const std::vector<std::string>& Calls();

// The text form of an argument in the record: "quoted" with escapes, or null.
std::string Quoted(const char* text);

}  // namespace Fake

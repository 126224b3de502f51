// Fuzz target: any byte sequence, cut at its first zero byte, as the whole
// command line GetCommandLineA would give. It splits the line, runs the
// program over the recording fake platform, and checks properties that hold
// for every input:
//   - no argument contains a double quote;
//   - the arguments' bytes occur in the input in the same order;
//   - the scan position never moves backwards and stops on a separator or
//     on the terminating zero;
//   - at most one job runs, and it is the one the first three bytes of the
//     first argument name;
//   - the run ends with ExitProcess(0);
//   - nothing is read outside the input (AddressSanitizer, on a buffer that
//     ends at the zero byte).

#include "CommandLine.h"
#include "Entry.h"
#include "FakePlatform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void Check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t length = 0;
    while (length < size && data[length] != 0)
        ++length;
    std::unique_ptr<char[]> line(new char[length + 1]);
    std::memcpy(line.get(), data, length);
    line[length] = '\0';

    // Splitting.
    std::vector<std::string> arguments;
    std::size_t position = 0, matched = 0;
    String argument;
    for (;;) {
        std::size_t before = position;
        Check(NextArgument(line.get(), position, argument), "splitting needs no more memory than there is");
        Check(position >= before && position <= length, "the scan moves forward, inside the text");
        unsigned char stop = static_cast<unsigned char>(line[position]);
        Check(stop <= 32, "the scan stops on a separator or the zero byte");
        if (argument.Empty())
            break;
        std::string text(argument.Text(), argument.Length());
        Check(text.find('"') == std::string::npos, "no argument holds a double quote");
        for (char c : text) {
            while (matched < length && line[matched] != c)
                ++matched;
            Check(matched < length, "the arguments' bytes occur in the input in order");
            ++matched;
        }
        Check(matched <= position, "an argument's bytes lie before the position its scan stopped at");
        arguments.push_back(text);
    }

    // The whole run.
    Fake::Script script;
    script.CommandLineText = line.get();
    script.WindowsDirectory = {{"C:\\WINDOWS", 10}};
    script.ShortPath = {{"C:\\WINDOWS\\VELMORA.SCR", 22}};
    Fake::Reset(script);
    RunCompanion();
    const std::vector<std::string>& calls = Fake::Calls();

    std::size_t activations = 0, pages = 0;
    for (const std::string& call : calls) {
        activations += StartsWith(call, "WinExec(");
        pages += StartsWith(call, "ShellExecuteA(");
    }
    Check(activations + pages <= 1, "at most one job runs");
    std::string first = arguments.size() > 1 ? arguments[1].substr(0, 3) : "";
    Check(activations == (first == "/iw" ? 1u : 0u), "activation runs exactly when the switch is /iw");
    Check(pages == (first == "/wb" ? 1u : 0u), "the page opens exactly when the switch is /wb");
    Check(!calls.empty() && calls.front() == "GetCommandLineA()", "the run starts by reading the command line");
    Check(calls.back() == "ExitProcess(0)", "the run ends with ExitProcess(0)");
    Check(calls.size() == 2 + (activations ? 5 : 0) + pages, "no call beyond the job's own");
    return 0;
}

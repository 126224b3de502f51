#include "FakePlatform.h"

#include "platform/Win32.h"

#include <cstdio>
#include <cstring>

namespace Fake {
namespace {

Script current;
std::vector<std::string> calls;

void Record(std::string call) { calls.push_back(std::move(call)); }

// Scribbles over the whole buffer, as a platform may, then writes the
// answer's bytes and a terminating zero where they fit.
std::uint32_t Answer(std::deque<PathAnswer>& answers, char* buffer, std::uint32_t size) {
    std::memset(buffer, '#', size);
    if (answers.empty())
        return 0;
    PathAnswer answer = answers.front();
    answers.pop_front();
    std::size_t written = answer.Text.size() < size ? answer.Text.size() : size;
    std::memcpy(buffer, answer.Text.data(), written);
    if (written < size)
        buffer[written] = '\0';
    return answer.Count;
}

}  // namespace

void Reset(Script script) {
    current = std::move(script);
    calls.clear();
}

const std::vector<std::string>& Calls() { return calls; }

std::string Quoted(const char* text) {
    if (!text)
        return "null";
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 32 || c >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace Fake

namespace Platform {

using Fake::Quoted;

const char* GetCommandLineA() {
    Fake::Record("GetCommandLineA()");
    return Fake::current.CommandLineText ? Fake::current.CommandLineText : Fake::current.CommandLine.c_str();
}

void ExitProcess(std::uint32_t exitCode) {
    Fake::Record("ExitProcess(" + std::to_string(exitCode) + ")");
}

std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    Fake::Record("GetWindowsDirectoryA(size " + std::to_string(size) + ")");
    return Fake::Answer(Fake::current.WindowsDirectory, buffer, size);
}

std::uint32_t GetShortPathNameA(const char* longPath, char* buffer, std::uint32_t size) {
    Fake::Record("GetShortPathNameA(" + Quoted(longPath) + ", size " + std::to_string(size) + ")");
    return Fake::Answer(Fake::current.ShortPath, buffer, size);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
    Fake::Record("WritePrivateProfileStringA(" + Quoted(section) + ", " + Quoted(key) + ", " +
                 Quoted(value) + ", " + Quoted(fileName) + ")");
    return true;
}

std::uint32_t WinExec(const char* commandLine, std::uint32_t showCommand) {
    Fake::Record("WinExec(" + Quoted(commandLine) + ", " + std::to_string(showCommand) + ")");
    return 33;
}

bool SystemParametersInfoA(std::uint32_t action, std::uint32_t parameter, void* pointer,
                           std::uint32_t flags) {
    Fake::Record("SystemParametersInfoA(" + std::to_string(action) + ", " +
                 std::to_string(parameter) + ", " + (pointer ? "pointer" : "null") + ", " +
                 std::to_string(flags) + ")");
    return true;
}

std::intptr_t ShellExecuteA(void* ownerWindow, const char* operation, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
    Fake::Record(std::string("ShellExecuteA(") + (ownerWindow ? "window" : "null") + ", " +
                 Quoted(operation) + ", " + Quoted(file) + ", " + Quoted(parameters) + ", " +
                 Quoted(directory) + ", " + std::to_string(showCommand) + ")");
    return Fake::current.ShellExecuteResult;
}

}  // namespace Platform

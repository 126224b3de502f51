// Whole runs of the program over the fake platform: which job a command line
// starts, seen through the calls it makes, and the exit that ends every run.

#include "Entry.h"
#include "FakeMemory.h"
#include "FakePlatform.h"
#include "ScreenSaverActivation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

enum class Job { None, Activation, Page };

const Calls ActivationCalls = {
    "GetWindowsDirectoryA(size 260)",
    "GetShortPathNameA(\"C:\\\\WINDOWS\\\\Velmora.scr\", size 260)",
    "WritePrivateProfileStringA(\"boot\", \"SCRNSAVE.EXE\", \"C:\\\\WINDOWS\\\\VELMORA.SCR\", \"SYSTEM.INI\")",
    "SystemParametersInfoA(17, 1, null, 2)",
    "WinExec(\"rundll32 shell32.dll,Control_RunDLL desk.cpl,,1\", 5)",
};
const Calls PageCalls = {
    "ShellExecuteA(null, null, \"http://velmora.example\", null, null, 1)",
};

Fake::Script ScriptFor(const std::string& line) {
    return {line, {{"C:\\WINDOWS", 10}}, {{"C:\\WINDOWS\\VELMORA.SCR", 22}}};
}

Calls RunWith(const Fake::Script& script) {
    Fake::Reset(script);
    RunCompanion();
    return Fake::Calls();
}

Calls Expected(Job job) {
    Calls calls = {"GetCommandLineA()"};
    const Calls& work = job == Job::Activation ? ActivationCalls : job == Job::Page ? PageCalls : Calls{};
    calls.insert(calls.end(), work.begin(), work.end());
    calls.push_back("ExitProcess(0)");
    return calls;
}

struct Row {
    const char* name;
    std::string line;
    Job job;
};

const Row Rows[] = {
    {"empty command line", "", Job::None},
    {"no argument", "VelmoraCompanion.exe", Job::None},
    {"only blanks and controls after the name", "prog \t\r\n\x01 ", Job::None},
    {"activation switch", "prog /iw", Job::Activation},
    {"page switch", "prog /wb", Job::Page},
    {"characters after the third are ignored", "prog /iwxyz", Job::Activation},
    {"page switch followed by the other", "prog /wb/iw", Job::Page},
    {"upper case", "prog /IW", Job::None},
    {"mixed case", "prog /Wb", Job::None},
    {"too short", "prog /i", Job::None},
    {"minus sign", "prog -iw", Job::None},
    {"backslash", "prog \\iw", Job::None},
    {"blank inside the switch", "prog / iw", Job::None},
    {"switch in the program name's place", "/iw", Job::None},
    {"second argument is ignored", "prog /x /iw", Job::None},
    {"first of two switches runs alone", "prog /iw /wb", Job::Activation},
    {"tabs and blanks before the argument", "prog \t  \t/wb", Job::Page},
    {"switch in quotes", "prog \"/iw\"", Job::Activation},
    {"quoted switch with a blank and a word", "prog \"/wb please\"", Job::Page},
    {"quote between /w and b", "prog /w\"b\"", Job::Page},
    {"pair of quotes before the switch", "prog \"\" /iw", Job::Activation},
    {"pair of quotes glued to the switch", "prog \"\"/wb", Job::Page},
    {"quoted program name with blanks",
     "\"C:\\Program Files\\Velmora\\VelmoraCompanion.exe\" /wb", Job::Page},
    {"unclosed quote", "prog \"/iw and the rest", Job::Activation},
    {"lone trailing quote", "prog \"", Job::None},
    {"control byte inside the switch", "prog /i\x01w", Job::None},
    {"high byte after the switch", "prog /wb\xff", Job::Page},
    {"high byte before the switch", "prog \xff/wb", Job::None},
    {"zero byte ends the line before the switch", std::string("prog \0/iw", 9), Job::None},
    {"line of 32,767 characters, switch last", std::string(32763, 'p') + " /wb", Job::Page},
    {"line of 32,767 characters, long first argument", "prog /iw" + std::string(32759, 'x'),
     Job::Activation},
    {"line of 32,767 characters, long unknown argument", "prog " + std::string(32762, '/'),
     Job::None},
};

TEST(Dispatch, RunsTheJobTheFirstArgumentNames) {
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RunWith(ScriptFor(row.line)), Expected(row.job));
    }
}

// The publisher page opens once per run, and nothing records an earlier run.
TEST(Dispatch, EveryPageRunAsksTheShellOnce) {
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        EXPECT_EQ(RunWith(ScriptFor("prog /wb")), Expected(Job::Page));
    }
}

// What the shell answers changes nothing: the run still ends with exit code 0.
TEST(Dispatch, ShellFailureStillExitsWithZero) {
    for (std::intptr_t result : {0, 2, 31, 32, 33}) {
        SCOPED_TRACE("ShellExecuteA returns " + std::to_string(result));
        Fake::Script script = ScriptFor("prog /wb");
        script.ShellExecuteResult = result;
        EXPECT_EQ(RunWith(script), Expected(Job::Page));
    }
}

// Out of memory at any allocation of a run: the run still ends with
// ExitProcess(0), at most the named job runs, and once the process-wide
// strings are given back nothing stays allocated, SwitchText included.
TEST(Dispatch, RunningOutOfMemoryStillExitsWithZeroAndReleasesSwitchText) {
    for (const char* line : {"prog /iw", "prog /wb", "prog /x"}) {
        for (std::size_t failing = 0;; ++failing) {
            SCOPED_TRACE(std::string(line) + ", allocation " + std::to_string(failing) + " fails");
            FirstParam.Release();
            SaverPath.Release();
            ShortSaverPath.Release();
            FakeMemory::FailFrom(failing);
            Calls calls = RunWith(ScriptFor(line));
            bool reachedTheEnd = FakeMemory::Requests() <= failing;
            FakeMemory::Restore();
            FirstParam.Release();
            SaverPath.Release();
            ShortSaverPath.Release();
            EXPECT_EQ(FakeMemory::LiveBlocks(), 0u);
            ASSERT_FALSE(calls.empty());
            EXPECT_EQ(calls.back(), "ExitProcess(0)");
            for (const std::string& call : calls)
                EXPECT_EQ(call.rfind("WritePrivateProfileStringA", 0) == 0, call == ActivationCalls[2])
                    << call;
            if (reachedTheEnd)
                break;
        }
    }
}

}  // namespace

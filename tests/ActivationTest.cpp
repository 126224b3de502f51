// The activation chain: its five calls, in order, with their exact arguments,
// for the directory and short-path answers a platform can give.

#include "FakeMemory.h"
#include "FakePlatform.h"
#include "ScreenSaverActivation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
using Fake::PathAnswer;

std::string ShortPathCall(const std::string& path, unsigned size = 260) {
    return "GetShortPathNameA(" + Fake::Quoted(path.c_str()) + ", size " + std::to_string(size) + ")";
}

// The three calls that follow the two queries, whatever they answered.
Calls Tail(const std::string& value) {
    return {"WritePrivateProfileStringA(\"boot\", \"SCRNSAVE.EXE\", " + Fake::Quoted(value.c_str()) +
                ", \"SYSTEM.INI\")",
            "SystemParametersInfoA(17, 1, null, 2)",
            "WinExec(\"rundll32 shell32.dll,Control_RunDLL desk.cpl,,1\", 5)"};
}

Calls Join(Calls head, const Calls& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::string Dir280 = "C:\\" + std::string(277, 'D');
const std::string Short269 = "C:\\" + std::string(266, 'S');
const std::string Short260 = "C:\\" + std::string(257, 'S');
const std::string Dir260 = "C:\\" + std::string(257, 'D');
const std::string Dir4999 = "C:\\" + std::string(4996, 'D');

struct Row {
    const char* name;
    std::deque<PathAnswer> directory, shortPath;
    Calls expected;
};

const Row Rows[] = {
    {"directory without trailing backslash",
     {{"C:\\WINDOWS", 10}}, {{"C:\\WINDOWS\\VELMORA.SCR", 22}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr")},
          Tail("C:\\WINDOWS\\VELMORA.SCR"))},
    {"root directory keeps its single backslash",
     {{"C:\\", 3}}, {{"C:\\VELMORA.SCR", 14}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\Velmora.scr")},
          Tail("C:\\VELMORA.SCR"))},
    {"only the last byte is compared with the backslash",
     {{"C:\\\x83\\", 5}}, {{"C:\\X~1\\VELMORA.SCR", 18}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\\x83\\Velmora.scr")},
          Tail("C:\\X~1\\VELMORA.SCR"))},
    {"no directory gives the bare file name",
     {{"", 0}}, {{"VELMORA.SCR", 11}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("Velmora.scr")}, Tail("VELMORA.SCR"))},
    {"directory query failing with text in the buffer",
     {{"C:\\WINDOWS", 0}}, {{"VELMORA.SCR", 11}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("Velmora.scr")}, Tail("VELMORA.SCR"))},
    {"no short path writes an empty value and goes on",
     {{"C:\\WINDOWS", 10}}, {{"", 0}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr")}, Tail(""))},
    {"exactly the first m characters of each answer",
     {{"C:\\WINDOWS\\SYSTEM32", 10}}, {{"C:\\WINDOWS\\VELMORA.SCR and more", 22}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr")},
          Tail("C:\\WINDOWS\\VELMORA.SCR"))},
    {"count of exactly 260 is text",
     {{"C:\\WINDOWS", 10}}, {{Short260, 260}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr")},
          Tail(Short260))},
    {"directory count of exactly 260 is text",
     {{Dir260, 260}}, {{"C:\\D~1\\VELMORA.SCR", 18}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall(Dir260 + "\\Velmora.scr")},
          Tail("C:\\D~1\\VELMORA.SCR"))},
    {"directory count of 261: asked once more with 261",
     {{"", 261}, {Dir260, 260}}, {{"C:\\D~1\\VELMORA.SCR", 18}},
     Join({"GetWindowsDirectoryA(size 260)", "GetWindowsDirectoryA(size 261)",
           ShortPathCall(Dir260 + "\\Velmora.scr")},
          Tail("C:\\D~1\\VELMORA.SCR"))},
    {"directory far too long: asked once more with 5000",
     {{"", 5000}, {Dir4999, 4999}}, {{"C:\\D~1\\VELMORA.SCR", 18}},
     Join({"GetWindowsDirectoryA(size 260)", "GetWindowsDirectoryA(size 5000)",
           ShortPathCall(Dir4999 + "\\Velmora.scr")},
          Tail("C:\\D~1\\VELMORA.SCR"))},
    {"directory too long: asked once more with the size it needs",
     {{"", 281}, {Dir280, 280}}, {{"C:\\D~1\\VELMORA.SCR", 18}},
     Join({"GetWindowsDirectoryA(size 260)", "GetWindowsDirectoryA(size 281)",
           ShortPathCall(Dir280 + "\\Velmora.scr")},
          Tail("C:\\D~1\\VELMORA.SCR"))},
    {"directory still too long on the second answer counts as none",
     {{"", 281}, {"C:\\", 400}}, {{"VELMORA.SCR", 11}},
     Join({"GetWindowsDirectoryA(size 260)", "GetWindowsDirectoryA(size 281)",
           ShortPathCall("Velmora.scr")},
          Tail("VELMORA.SCR"))},
    {"short path too long: asked once more with the size it needs",
     {{"C:\\WINDOWS", 10}}, {{"", 270}, {Short269, 269}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr"),
           ShortPathCall("C:\\WINDOWS\\Velmora.scr", 270)},
          Tail(Short269))},
    {"short path asks for more, then more again: an empty value, no third ask",
     {{"C:\\WINDOWS", 10}}, {{"", 300}, {"C:\\VELMORA.SCR", 4000}, {"C:\\VELMORA.SCR", 14}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr"),
           ShortPathCall("C:\\WINDOWS\\Velmora.scr", 300)},
          Tail(""))},
    {"short path still too long writes an empty value",
     {{"C:\\WINDOWS", 10}}, {{"", 261}, {"", 300}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr"),
           ShortPathCall("C:\\WINDOWS\\Velmora.scr", 261)},
          Tail(""))},
    {"a size no path can need is not asked for",
     {{"C:\\WINDOWS", 0xFFFFFFFFu}}, {{"C:\\VELMORA.SCR", 0x80000000u}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("Velmora.scr")}, Tail(""))},
    {"the largest size a path can need is asked for",
     {{"C:\\WINDOWS", 10}}, {{"", 32768}, {"C:\\VELMORA.SCR", 14}},
     Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("C:\\WINDOWS\\Velmora.scr"),
           ShortPathCall("C:\\WINDOWS\\Velmora.scr", 32768)},
          Tail("C:\\VELMORA.SCR"))},
};

TEST(Activation, MakesTheFiveCallsInOrder) {
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.name);
        Fake::Reset({"", row.directory, row.shortPath});
        ActivateScreenSaver();
        EXPECT_EQ(Fake::Calls(), row.expected);
    }
}

// The value handed to the platform is a pointer to an empty text, not null.
TEST(Activation, EmptyShortPathGoesOutAsEmptyText) {
    Fake::Reset({"", {{"C:\\WINDOWS", 10}}, {{"", 0}}});
    ActivateScreenSaver();
    ASSERT_NE(ShortSaverPath.Text(), nullptr);
    EXPECT_STREQ(ShortSaverPath.Text(), "");
    EXPECT_EQ(std::string(SaverPath.Text()), "C:\\WINDOWS\\Velmora.scr");
}

// A second run in the same process starts afresh from what the platform
// answers, not from what the first run left in the strings.
TEST(Activation, RunsTwiceFromFreshAnswers) {
    Fake::Reset({"", {{"C:\\WINDOWS", 10}, {"D:\\", 3}}, {{"C:\\WINDOWS\\VELMORA.SCR", 22}, {"", 0}}});
    ActivateScreenSaver();
    ActivateScreenSaver();
    Calls expected = Join(Join({"GetWindowsDirectoryA(size 260)",
                                ShortPathCall("C:\\WINDOWS\\Velmora.scr")},
                               Tail("C:\\WINDOWS\\VELMORA.SCR")),
                          Join({"GetWindowsDirectoryA(size 260)", ShortPathCall("D:\\Velmora.scr")},
                               Tail("")));
    EXPECT_EQ(Fake::Calls(), expected);
}

// When memory runs out at any point, the chain stops before its next call:
// nothing half-built reaches SYSTEM.INI, and what it did call came in order.
TEST(Activation, RunningOutOfMemoryStopsBeforeAnythingIsWritten) {
    const std::string directory = "C:\\" + std::string(200, 'D');
    const Calls full = Join({"GetWindowsDirectoryA(size 260)", ShortPathCall(directory + "\\Velmora.scr")},
                            Tail("C:\\D~1\\VELMORA.SCR"));
    for (std::size_t failing = 0;; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing) + " fails");
        SaverPath.Release();
        ShortSaverPath.Release();
        Fake::Reset({"", {{directory, 203}}, {{"C:\\D~1\\VELMORA.SCR", 18}}});
        FakeMemory::FailFrom(failing);
        ActivateScreenSaver();
        bool reachedTheEnd = FakeMemory::Requests() <= failing;
        FakeMemory::Restore();
        if (reachedTheEnd) {
            EXPECT_EQ(Fake::Calls(), full);
            break;
        }
        const Calls& calls = Fake::Calls();
        ASSERT_LT(calls.size(), 3u);
        EXPECT_EQ(calls, Calls(full.begin(), full.begin() + calls.size()));
    }
}

}  // namespace

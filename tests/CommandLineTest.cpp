// How a raw command line splits into arguments, and which one becomes the
// first argument, byte class by byte class.

#include "CommandLine.h"
#include "FakeMemory.h"
#include "FakePlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

std::string AllBytes(int from, int to, int except = -1) {
    std::string s;
    for (int c = from; c <= to; ++c)
        if (c != except)
            s += static_cast<char>(c);
    return s;
}

// Every argument of the line, as repeated scans give them; the scans must
// never move backwards and must stop on a separator or the zero byte.
Args Split(const std::string& line) {
    Args args;
    std::size_t position = 0;
    String argument;
    for (int guard = 0; guard < 100000; ++guard) {
        std::size_t before = position;
        EXPECT_TRUE(NextArgument(line.c_str(), position, argument));
        EXPECT_GE(position, before);
        unsigned char stop = static_cast<unsigned char>(line.c_str()[position]);
        EXPECT_TRUE(stop <= 32) << "stopped on byte " << int(stop) << " at " << position;
        if (argument.Empty())
            return args;
        args.emplace_back(argument.Text(), argument.Length());
    }
    ADD_FAILURE() << "the scan never reached the end";
    return args;
}

void UseCommandLine(const std::string& line) {
    Fake::Script script;
    script.CommandLine = line;
    Fake::Reset(script);
}

struct Row {
    const char* name;
    std::string line;
    Args args;
};

const std::string LongArgument(300, 'a');
const std::string LongestLine = std::string(32767 - 4, 'p') + " /wb";

const Row Rows[] = {
    {"empty command line", "", {}},
    {"program name only", "prog", {"prog"}},
    {"one switch", "prog /iw", {"prog", "/iw"}},
    {"zero byte ends the text", std::string("prog /wb\0/iw", 12), {"prog", "/wb"}},
    {"blanks and tabs before and between", " \t prog \t /iw  x ", {"prog", "/iw", "x"}},
    {"every control byte 1 to 31 separates", "prog" + AllBytes(1, 31) + "/iw" + AllBytes(1, 31),
     {"prog", "/iw"}},
    {"control byte inside a switch splits it", "prog /i\x01w", {"prog", "/i", "w"}},
    {"bytes 33 to 255 but the quote are argument characters", "prog " + AllBytes(33, 255, 34),
     {"prog", AllBytes(33, 255, 34)}},
    {"127 and high bytes", "prog \x7f \x80\xff", {"prog", "\x7f", "\x80\xff"}},
    {"quoted program name with blanks",
     "\"C:\\Program Files\\Velmora\\VelmoraCompanion.exe\" /wb",
     {"C:\\Program Files\\Velmora\\VelmoraCompanion.exe", "/wb"}},
    {"quotes around a switch are dropped", "prog \"/wb\"", {"prog", "/wb"}},
    {"quoted section keeps blanks and controls", "prog \"/wb now\t\x01then\"",
     {"prog", "/wb now\t\x01then"}},
    {"quoted and unquoted pieces join", "prog /w\"b\"x \"a\"b\"c\"", {"prog", "/wbx", "abc"}},
    {"adjacent quotes inside an argument add nothing", "prog /i\"\"w", {"prog", "/iw"}},
    {"pair of quotes before an argument is a blank", "prog \"\" /iw", {"prog", "/iw"}},
    {"pair of quotes glued to the argument", "prog \"\"/iw", {"prog", "/iw"}},
    {"several pairs and blanks", "prog \"\" \"\"\"\"  \"\"/wb", {"prog", "/wb"}},
    {"pair before the program name", "\"\"prog /iw", {"prog", "/iw"}},
    {"pair then a lone quote opens a section", "prog \"\"\"/iw x", {"prog", "/iw x"}},
    {"unclosed quote runs to the end", "prog \"/wb and more", {"prog", "/wb and more"}},
    {"quoted piece then unquoted piece", "prog \"/wb and \"more", {"prog", "/wb and more"}},
    {"unclosed quote after a piece", "prog /iw\" x", {"prog", "/iw x"}},
    {"lone trailing quote gives no argument", "prog \"", {"prog"}},
    {"only pairs of quotes after the name", "prog \"\" \"\"", {"prog"}},
    {"only separators after the name", "prog \t\r\n ", {"prog"}},
    {"argument longer than 256 characters", "prog " + LongArgument + " /iw",
     {"prog", LongArgument, "/iw"}},
    {"program name of 32,763 characters", LongestLine, {std::string(32763, 'p'), "/wb"}},
};

TEST(CommandLine, SplitsByTheByteClasses) {
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Split(row.line), row.args);
    }
}

TEST(CommandLine, FirstArgumentIsTheOneAfterTheProgramName) {
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.name);
        UseCommandLine(row.line);
        String first = CommandLineArgument(1);
        EXPECT_EQ(std::string(first.Text(), first.Length()), row.args.size() > 1 ? row.args[1] : "");
        EXPECT_EQ(Fake::Calls(), std::vector<std::string>{"GetCommandLineA()"});
    }
}

TEST(CommandLine, ArgumentsPastTheEndAreEmpty) {
    struct IndexRow {
        const char* name;
        std::string line;
        std::size_t index;
        std::string expected;
    } rows[] = {
        {"second argument", "prog /x /iw", 2, "/iw"},
        {"beyond the last", "prog /x", 5, ""},
        {"beyond a lone trailing quote", "prog \" /iw", 2, ""},
        {"no arguments at all", "", 3, ""},
    };
    for (const IndexRow& row : rows) {
        SCOPED_TRACE(row.name);
        UseCommandLine(row.line);
        String argument = CommandLineArgument(row.index);
        EXPECT_EQ(std::string(argument.Text(), argument.Length()), row.expected);
    }
}

// Running out of memory anywhere while reading gives an empty argument, never
// a part of one or a later argument in its place, and leaks nothing.
TEST(CommandLine, RunningOutOfMemoryGivesAnEmptyArgument) {
    const std::string line = "prog" + std::string(1000, 'x') + " /iw" + std::string(1000, 'y');
    for (std::size_t failing = 0; failing < 12; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing) + " fails");
        UseCommandLine(line);
        std::size_t before = FakeMemory::LiveBlocks();
        FakeMemory::FailFrom(failing);
        {
            String first = CommandLineArgument(1);
            std::string text(first.Text(), first.Length());
            EXPECT_TRUE(text.empty() || text == "/iw" + std::string(1000, 'y')) << text.substr(0, 20);
        }
        FakeMemory::Restore();
        EXPECT_EQ(FakeMemory::LiveBlocks(), before);
    }
}

}  // namespace

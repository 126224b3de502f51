// The string rules the program leans on: "" never null, byte-for-byte
// equality, prefixes, lengths that keep their zero byte, and operations that
// leave the string as it was when memory runs out.

#include "FakeMemory.h"
#include "String.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

String Make(const std::string& text) {
    String s;
    EXPECT_TRUE(s.Append(text.data(), text.size()));
    return s;
}

std::string Bytes(const String& s) { return std::string(s.Text(), s.Length()); }

// The zero byte after the last character is part of every string's contract.
void ExpectTerminated(const String& s) {
    ASSERT_NE(s.Text(), nullptr);
    EXPECT_EQ(s.Text()[s.Length()], '\0');
}

TEST(String, EmptyStringsGoOutAsEmptyTextNotNull) {
    String fresh;
    String emptied = Make("abc");
    ASSERT_TRUE(emptied.SetLength(0));
    String released = Make("abc");
    released.Release();
    String movedFrom = Make("abc");
    String movedTo = std::move(movedFrom);
    for (const String* s : {&fresh, &emptied, &released, &movedFrom}) {
        EXPECT_EQ(s->Length(), 0u);
        ASSERT_NE(s->Text(), nullptr);
        EXPECT_STREQ(s->Text(), "");
    }
    EXPECT_EQ(Bytes(movedTo), "abc");
}

TEST(String, EqualityIsSameLengthAndSameBytes) {
    struct Row {
        const char* name;
        std::string left, right;
        bool equal;
    } rows[] = {
        {"identical", "/iw", "/iw", true},
        {"case differs", "/iw", "/IW", false},
        {"shorter", "/i", "/iw", false},
        {"longer", "/iwx", "/iw", false},
        {"both empty", "", "", true},
        {"empty against text", "", "/", false},
        {"embedded zero counts", std::string("/i\0", 3), "/i", false},
        {"high bytes compared as bytes", "\xff\x80", "\xff\x80", true},
        {"high bytes differ", "\xff\x80", "\xff\x81", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        String left = Make(row.left), right = Make(row.right);
        EXPECT_EQ(left == right, row.equal);
        EXPECT_EQ(left.Equals(row.right.data(), row.right.size()), row.equal);
    }
}

TEST(String, AssignLeftTakesAtMostCountCharacters) {
    struct Row {
        const char* name;
        std::string source;
        std::size_t count;
        std::string expected;
    } rows[] = {
        {"longer source", "/iwxyz", 3, "/iw"},
        {"exact length", "/wb", 3, "/wb"},
        {"shorter source is taken whole", "/i", 3, "/i"},
        {"empty source", "", 3, ""},
        {"zero count", "/iw", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        String source = Make(row.source);
        String target = Make("previous value, longer than any row");
        ASSERT_TRUE(target.AssignLeft(source, row.count));
        EXPECT_EQ(Bytes(target), row.expected);
        ExpectTerminated(target);
        EXPECT_EQ(Bytes(source), row.source);
    }
}

TEST(String, SetLengthKeepsThePrefixAndZeroesWhatItAdds) {
    String s = Make("C:\\WINDOWS");
    ASSERT_TRUE(s.SetLength(260));
    EXPECT_EQ(s.Length(), 260u);
    ExpectTerminated(s);
    EXPECT_EQ(std::string(s.Text(), 10), "C:\\WINDOWS");
    EXPECT_EQ(std::string(s.Text() + 10, 250), std::string(250, '\0'));

    std::memset(s.Characters(), 'x', 260);
    ASSERT_TRUE(s.SetLength(7));
    EXPECT_EQ(Bytes(s), "xxxxxxx");
    ExpectTerminated(s);

    // Growing again must not bring back what was written past the length.
    ASSERT_TRUE(s.SetLength(9));
    EXPECT_EQ(Bytes(s), std::string("xxxxxxx\0\0", 9));
}

TEST(String, AppendingOneByteAtATimeBuildsLongText) {
    String s;
    std::string expected;
    for (int i = 0; i < 32767; ++i) {
        char c = static_cast<char>(1 + i % 255);
        ASSERT_TRUE(s.Append(c));
        expected += c;
    }
    EXPECT_EQ(Bytes(s), expected);
    ExpectTerminated(s);
}

TEST(String, RunningOutOfMemoryLeavesTheStringAsItWas) {
    struct Row {
        const char* name;
        bool (*operation)(String&, const String&);
    } rows[] = {
        {"SetLength grows", [](String& s, const String&) { return s.SetLength(4096); }},
        {"Append grows", [](String& s, const String& long_) { return s.Append(long_.Text(), long_.Length()); }},
        {"AssignLeft grows", [](String& s, const String& long_) { return s.AssignLeft(long_, 4096); }},
        {"Reserve grows", [](String& s, const String&) { return s.Reserve(4096); }},
    };
    String longText;
    ASSERT_TRUE(longText.SetLength(4096));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        String s = Make("/iw");
        FakeMemory::FailFrom(0);
        bool succeeded = row.operation(s, longText);
        FakeMemory::Restore();
        EXPECT_FALSE(succeeded);
        EXPECT_EQ(Bytes(s), "/iw");
        ExpectTerminated(s);
    }
}

TEST(String, NothingIsLeftAllocatedAfterUse) {
    std::size_t before = FakeMemory::LiveBlocks();
    {
        String a = Make("one");
        String b = Make("two");
        ASSERT_TRUE(b.AssignLeft(a, 2));
        a = std::move(b);
        String c = std::move(a);
        ASSERT_TRUE(c.SetLength(1000));
    }
    EXPECT_EQ(FakeMemory::LiveBlocks(), before);
}

}  // namespace

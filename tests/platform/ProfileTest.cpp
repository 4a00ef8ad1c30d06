#include "PlatformUnderTest.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::string_literals;

using Entries = std::vector<platform::Profile::Entry>;

struct Row {
    std::u16string section, key, text;
};

class ProfileTest : public ::testing::Test {
protected:
    TempDir dir;
    under_test::Profile profile;
    std::u16string file = dir.file("q.ini");

    void put(const std::string& bytes) { writeBytes(dir.path() / "q.ini", bytes); }
    std::string bytes() const { return readBytes(dir.path() / "q.ini"); }
    bool exists() const { return std::filesystem::exists(dir.path() / "q.ini"); }
    std::u16string read(const std::u16string& section, const std::u16string& key,
                        std::size_t maxChars = 2047)
    {
        return profile.readString(file, section, key, u"<none>", maxChars);
    }
};

// Blanks, quotes, duplicates and odd lines, as the Windows profile functions read them.
const std::string oddFile = "[S]\r\n"
                            "a=  spaced value  \r\n"
                            "b=\"quoted\"\r\n"
                            "c=\"  quoted spaced  \"\r\n"
                            "d= \"x\" \r\n"
                            "e=\"unterminated\r\n"
                            "f=\"a\"b\"\r\n"
                            "  g  =  tab\tv\t\r\n"
                            "h='single'\r\n"
                            "i=\"\r\n"
                            "j=\"\"\r\n"
                            "k=a\"b\"\r\n"
                            "garbage line\r\n"
                            "=novalue\r\n"
                            "m=1=2\r\n"
                            "A=dup\r\n"
                            " [ T ] \r\n"
                            "x=1\r\n"
                            "[U\r\n"
                            "y=2\r\n"
                            "[s]\r\n"
                            "a=second\r\n"
                            "n=fromsecond\r\n"
                            "[V]junk\r\n"
                            "z=3\r\n"
                            "[]\r\n"
                            "w=4\r\n";

TEST_F(ProfileTest, ReadsValuesTrimmedAndUnquotedFirstDuplicateWinningAndListsInFileOrder)
{
    put(oddFile);
    const Row rows[] = {
        {u"S", u"a", u"spaced value"},
        {u"S", u"b", u"quoted"},
        {u"S", u"c", u"  quoted spaced  "},
        {u"S", u"d", u"x"},
        {u"S", u"e", u"\"unterminated"},
        {u"S", u"f", u"a\"b"},
        {u"S", u"g", u"tab\tv"},
        {u"S", u"h", u"single"},
        {u"S", u"i", u"\""},
        {u"S", u"j", u""},
        {u"S", u"k", u"a\"b\""},
        {u"S", u"m", u"1=2"},
        {u"S", u"", u"novalue"},
        {u"S", u"garbage line", u"<none>"},
        {u"s", u"A", u"spaced value"}, // no case, first key of the first section
        {u" S ", u" a ", u"spaced value"},
        {u"S", u"n", u"<none>"}, // later duplicate sections are not searched
        {u"T", u"x", u"1"},
        {u"T", u"y", u"2"}, // "[U" has no "]": it is a line of section T
        {u"U", u"y", u"<none>"},
        {u"V", u"z", u"3"},
        {u"", u"w", u"<none>"},
        {u"missing", u"a", u"<none>"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(read(row.section, row.key), row.text)
            << std::string(row.section.begin(), row.section.end()) << "/"
            << std::string(row.key.begin(), row.key.end());

    EXPECT_EQ(profile.sectionNames(file), (std::vector<std::u16string>{u"S", u"T", u"s", u"V"}));
    EXPECT_EQ(profile.sectionEntries(file, u"t"),
              (Entries{{u"x", u"1"}, {u"[U", u""}, {u"y", u"2"}}));
    const Entries s = profile.sectionEntries(file, u"S");
    ASSERT_EQ(s.size(), 15u);
    EXPECT_EQ(s[0], (platform::Profile::Entry{u"a", u"spaced value"}));
    EXPECT_EQ(s[1], (platform::Profile::Entry{u"b", u"\"quoted\""})); // quotes kept in listings
    EXPECT_EQ(s[6], (platform::Profile::Entry{u"g", u"tab\tv"}));
    EXPECT_EQ(s[11], (platform::Profile::Entry{u"garbage line", u""}));
    EXPECT_EQ(s[12], (platform::Profile::Entry{u"", u"novalue"}));
    EXPECT_EQ(s[14], (platform::Profile::Entry{u"A", u"dup"}));
    EXPECT_TRUE(profile.sectionEntries(file, u"missing").empty());
    EXPECT_TRUE(profile.sectionNames(dir.file("none.ini")).empty());
}

TEST_F(ProfileTest, ReadsAreCutAtMaxCharsAndFallbacksLoseTrailingBlanksAndQuotes)
{
    const struct {
        std::u16string fallback, expected;
        std::size_t maxChars;
    } rows[] = {
        {u"plain", u"plain", 2047}, {u"  deflt  ", u"  deflt", 2047},
        {u"\"q\"", u"q", 2047},     {u"abcdef", u"ab", 2},
        {u"", u"", 2047},
    };
    for (const auto& row : rows)
        EXPECT_EQ(profile.readString(file, u"S", u"k", row.fallback, row.maxChars), row.expected);
    EXPECT_FALSE(exists());

    const std::string longValue = std::string(4999, 'x') + "y";
    put("[S]\r\nm=1=2\r\nq=\"abcdef\"\r\nlong=" + longValue + "\r\n");
    EXPECT_EQ(read(u"S", u"m", 2), u"1=");
    EXPECT_EQ(read(u"S", u"q", 3), u"abc"); // quotes go first, then the cut
    EXPECT_EQ(read(u"S", u"q", 7), u"abcdef");
    EXPECT_EQ(read(u"S", u"long"), std::u16string(2047, u'x'));
    const std::u16string full = read(u"S", u"long", 8000);
    EXPECT_EQ(full.size(), 5000u);
    EXPECT_EQ(full.back(), u'y');
}

TEST_F(ProfileTest, ReadsAnyLineEnding)
{
    for (const std::string text : {"[a]\nx=1\ny=2", "[a]\rx=1\ry=2\r", "[a]\r\nx=1\r\ny=2",
                                   "\n\n[a]\n\nx=1\n\ny=2\n\n", "[a]\n\rx=1\r\r\ny=2\n\r"}) {
        put(text);
        EXPECT_EQ(read(u"a", u"x"), u"1");
        EXPECT_EQ(read(u"a", u"y"), u"2");
    }
}

TEST_F(ProfileTest, ReadsGbkAndSurvivesInvalidBytes)
{
    // Wine stops at a NUL byte, so that line comes last.
    put("[\xd6\xd0]\r\n\xce\xc4=\xd6\xd0\xce\xc4\r\nbad=\x81\x20z\xff\r\nok=1\r\n[\x81]\r\n["
        "\xd6\r\n"
        "nul=a\0b\r\n"s);
    EXPECT_EQ(read(u"中", u"文"), u"中文");
    EXPECT_EQ(read(u"中", u"ok"), u"1");
    const std::u16string bad = read(u"中", u"bad");
    EXPECT_NE(bad.find(u'z'), std::u16string::npos);
    profile.sectionNames(file);
    EXPECT_EQ(read(u"中", u"ok"), u"1");
}

TEST_F(ProfileTest, WritesCrLfGbkFilesInWindowsOrder)
{
    ASSERT_TRUE(profile.writeString(file, u"A", u"k", u"v"));
    EXPECT_EQ(bytes(), "[A]\r\nk=v\r\n");
    ASSERT_TRUE(profile.writeString(file, u"B", u"k2", u"v2"));
    ASSERT_TRUE(profile.writeString(file, u"a", u"K3", u"中文"));
    ASSERT_TRUE(profile.writeString(file, u"a", u"K", u"new"));
    EXPECT_EQ(bytes(), "[A]\r\nk=new\r\nK3=\xd6\xd0\xce\xc4\r\n[B]\r\nk2=v2\r\n");
    EXPECT_EQ(read(u"A", u"K3"), u"中文");

    // Chinese names and long values come back from a file of their own.
    const std::u16string other = dir.file("alarms.ini"), longValue(5000, u'长');
    ASSERT_TRUE(profile.writeString(other, u"闹钟", u"时间", u"7:30:00"));
    ASSERT_TRUE(profile.writeString(other, u"闹钟", u"备注", longValue));
    EXPECT_EQ(profile.readString(other, u"闹钟", u"时间", u"", 2047), u"7:30:00");
    EXPECT_EQ(profile.readString(other, u"闹钟", u"备注", u"", 6000), longValue);
    EXPECT_EQ(profile.sectionNames(other), std::vector<std::u16string>{u"闹钟"});
}

TEST_F(ProfileTest, WritesKeepTheRestOfTheFile)
{
    put("; comment\n[X]\nfoo=1\ngarbage\n[U\nbar=2\n[Y]\nspaced=v\n[x]\nfoo=dup\nlast=1");
    ASSERT_TRUE(profile.writeString(file, u"X", u"new", u"n"));
    ASSERT_TRUE(profile.writeString(file, u"Y", u"spaced", u"w"));
    ASSERT_TRUE(profile.writeString(file, u"x", u"last", u"2")); // the first [X]
    ASSERT_TRUE(profile.writeString(file, u"Z", u"z", u"3"));
    ASSERT_TRUE(profile.writeString(file, u"X", u"foo", u""));
    EXPECT_EQ(bytes(), "; comment\r\n[X]\r\nfoo=\r\ngarbage\r\n[U\r\nbar=2\r\nnew=n\r\nlast=2\r\n"
                       "[Y]\r\nspaced=w\r\n[x]\r\nfoo=dup\r\nlast=1\r\n[Z]\r\nz=3\r\n");
}

TEST_F(ProfileTest, DeletesOnlyTheFirstMatchingKey)
{
    put("[a]\r\nk=1\r\nk=2\r\nother=3\r\n[b]\r\nk=4\r\n");
    ASSERT_TRUE(profile.deleteKey(file, u"A", u"K"));
    EXPECT_EQ(bytes(), "[a]\r\nk=2\r\nother=3\r\n[b]\r\nk=4\r\n");
    EXPECT_TRUE(profile.deleteKey(file, u"a", u"missing"));
    EXPECT_TRUE(profile.deleteKey(file, u"missing", u"k"));
    EXPECT_EQ(read(u"b", u"k"), u"4");
    const std::u16string none = dir.file("none.ini");
    EXPECT_TRUE(profile.deleteKey(none, u"a", u"k"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(none)));
}

TEST_F(ProfileTest, RefusedWritesReportFalseAndChangeNothing)
{
    EXPECT_FALSE(profile.writeString(dir.file("no-such-dir/q.ini"), u"a", u"k", u"v"));
    std::filesystem::create_directory(dir.path() / "folder.ini");
    EXPECT_FALSE(profile.writeString(dir.file("folder.ini"), u"a", u"k", u"v"));

    put("[a]\r\nk=1\r\n");
    const Row unsafe[] = {
        {u"a", u"k", u"x\r\n[evil]\r\nk=2"},
        {u"a", u"k", u"x\ny"},
        {u"a", u"k\r\nj", u"v"},
        {u"a]\r\n[b", u"k", u"v"},
        {u"a]b", u"k", u"v"},
        {u"a", u"k=j", u"v"},
        {u"", u"k", u"v"},
    };
    for (const auto& row : unsafe)
        EXPECT_FALSE(profile.writeString(file, row.section, row.key, row.text));
    EXPECT_EQ(bytes(), "[a]\r\nk=1\r\n");
}

#ifndef _WIN32
// A write killed half-way leaves its temporary file; the first use of the file at the next
// start removes what is clearly such a leftover, and nothing else. (The Windows profile
// functions write in place and leave none.)
TEST_F(ProfileTest, FirstUseRemovesTheTemporariesOfKilledWrites)
{
    put("[a]\r\nk=1\r\n");
    namespace fs = std::filesystem;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const struct {
        const char* name;
        bool old;
        bool removed;
    } rows[] = {
        {"q.ini.quorlin-tmp.Ab12Cd", true, true},
        {"q.ini.quorlin-tmp.x9Y8z7", true, true},
        {"q.ini.quorlin-tmp.Fresh1", false, false}, // a write that may be under way
        {"q.ini.quorlin-tmp.Ab12C", true, false},
        {"q.ini.quorlin-tmp.Ab12C-", true, false},
        {"q.ini.backup", true, false},
        {"other.ini.quorlin-tmp.Ab12Cd", true, false},
    };
    for (const auto& row : rows) {
        writeBytes(dir.path() / row.name, "user data");
        if (row.old)
            fs::last_write_time(dir.path() / row.name, old);
    }
    EXPECT_EQ(read(u"a", u"k"), u"1");
    for (const auto& row : rows)
        EXPECT_EQ(fs::exists(dir.path() / row.name), !row.removed) << row.name;
    EXPECT_EQ(bytes(), "[a]\r\nk=1\r\n");
}
#endif

} // namespace

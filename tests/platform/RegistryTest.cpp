#include "PlatformUnderTest.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using platform::RegistryRoot;
using platform::RegistryValue;
using Bytes = std::vector<std::uint8_t>;
constexpr auto HKCU = RegistryRoot::CurrentUser;

// Under wine this is the prefix's real HKCU, so every test works below a key of its own.
class RegistryTest : public ::testing::Test {
protected:
    TempDir dir;
    under_test::Registry reg{dir.path()};
    std::u16string base = uniqueBase();

    ~RegistryTest() override { reg.deleteKeyTree(HKCU, base); }

    static std::u16string uniqueBase()
    {
        static unsigned counter = 0;
        const std::string id =
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
            std::to_string(counter++);
        return u"Software\\QuorlinTest\\" + std::u16string(id.begin(), id.end());
    }
    std::u16string key(const std::u16string& sub) const { return base + u"\\" + sub; }
};

TEST_F(RegistryTest, OpensOnlyExistingKeysUnlessAskedToCreate)
{
    EXPECT_FALSE(reg.openKey(HKCU, key(u"A\\B"), false));
    EXPECT_TRUE(reg.openKey(HKCU, key(u"A\\B"), true));
    EXPECT_TRUE(reg.openKey(HKCU, key(u"a\\b"), false));
    EXPECT_TRUE(reg.openKey(HKCU, key(u"A"), false)); // parents come with it
    EXPECT_TRUE(reg.openKey(HKCU, key(u"A\\B\\"), false));
    EXPECT_FALSE(reg.openKey(HKCU, u"\\" + key(u"A"), false));
    EXPECT_FALSE(reg.openKey(HKCU, u"\\" + key(u"C"), true));
}

TEST_F(RegistryTest, StoresEachValueKindAsWritten)
{
    const std::u16string k = key(u"Values");
    const struct {
        std::u16string name;
        RegistryValue value;
    } rows[] = {
        {u"Text", std::u16string(u"C:\\Program Files\\\"Quorlin\"\\中文.exe")},
        {u"Empty", std::u16string()},
        {u"Lines", std::u16string(u"one\r\ntwo\tthree")},
        {u"Zero", std::uint32_t(0)},
        {u"Max", std::uint32_t(0xFFFFFFFFu)},
        {u"Bin", Bytes{0x00, 0x01, 0x7F, 0xFF}},
        {u"NoBytes", Bytes{}},
        {u"名字 \"with\" \\", std::u16string(u"值")},
        {u"@", std::u16string(u"a value named @")},
    };
    for (const auto& row : rows) {
        if (const auto* s = std::get_if<std::u16string>(&row.value))
            ASSERT_TRUE(reg.writeString(HKCU, k, row.name, *s));
        else if (const auto* n = std::get_if<std::uint32_t>(&row.value))
            ASSERT_TRUE(reg.writeNumber(HKCU, k, row.name, *n));
        else
            ASSERT_TRUE(reg.writeBinary(HKCU, k, row.name, std::get<Bytes>(row.value)));
    }
    for (const auto& row : rows)
        EXPECT_EQ(reg.readValue(HKCU, k, row.name), row.value)
            << std::string(row.name.begin(), row.name.end());
    EXPECT_EQ(reg.readValue(HKCU, k, u""), std::nullopt); // "@" is not the default value
    EXPECT_EQ(reg.readValue(HKCU, key(u"VALUES"), u"zero"), RegistryValue(std::uint32_t(0)));
    // A value is replaced even by one of another kind.
    ASSERT_TRUE(reg.writeNumber(HKCU, k, u"TEXT", 7));
    EXPECT_EQ(reg.readValue(HKCU, k, u"text"), RegistryValue(std::uint32_t(7)));
}

TEST_F(RegistryTest, DeletesOnlyWhatIsThereTheDefaultValueByTheEmptyName)
{
    const std::u16string k = key(u"Del");
    ASSERT_TRUE(reg.writeString(HKCU, k, u"", u"default text"));
    ASSERT_TRUE(reg.writeString(HKCU, k, u"a", u"1"));
    ASSERT_TRUE(reg.writeString(HKCU, k, u"b", u"2"));
    EXPECT_EQ(reg.readValue(HKCU, k, u""), RegistryValue(std::u16string(u"default text")));
    EXPECT_TRUE(reg.deleteValue(HKCU, k, u""));
    EXPECT_EQ(reg.readValue(HKCU, k, u""), std::nullopt);
    EXPECT_TRUE(reg.deleteValue(HKCU, k, u"A"));
    EXPECT_EQ(reg.readValue(HKCU, k, u"a"), std::nullopt);
    EXPECT_EQ(reg.readValue(HKCU, k, u"b"), RegistryValue(std::u16string(u"2")));
    EXPECT_FALSE(reg.deleteValue(HKCU, k, u"a"));
    EXPECT_FALSE(reg.deleteValue(HKCU, key(u"Missing"), u"a"));
    EXPECT_FALSE(reg.deleteKeyTree(HKCU, key(u"Missing")));
    EXPECT_EQ(reg.readValue(HKCU, key(u"Missing"), u"a"), std::nullopt);
}

TEST_F(RegistryTest, DeleteKeyTreeTakesSubkeysButNotSiblings)
{
    ASSERT_TRUE(reg.writeString(HKCU, key(u"Tree"), u"v", u"1"));
    ASSERT_TRUE(reg.writeNumber(HKCU, key(u"Tree\\Sub\\Deep"), u"n", 1));
    ASSERT_TRUE(reg.writeNumber(HKCU, key(u"TreeSibling"), u"n", 2));
    EXPECT_TRUE(reg.deleteKeyTree(HKCU, key(u"TREE")));
    EXPECT_FALSE(reg.openKey(HKCU, key(u"Tree\\Sub\\Deep"), false));
    EXPECT_FALSE(reg.openKey(HKCU, key(u"Tree"), false));
    EXPECT_EQ(reg.readValue(HKCU, key(u"TreeSibling"), u"n"), RegistryValue(std::uint32_t(2)));
    EXPECT_TRUE(reg.openKey(HKCU, base, false));
    EXPECT_FALSE(reg.deleteKeyTree(HKCU, u"")); // never the whole root
}

TEST_F(RegistryTest, RawReadGivesTheTypeAndTheBytesAsStored)
{
    const std::u16string k = key(u"Raw");
    ASSERT_TRUE(reg.writeString(HKCU, k, u"s", u"A中"));
    ASSERT_TRUE(reg.writeNumber(HKCU, k, u"n", 0x01020304));
    ASSERT_TRUE(reg.writeBinary(HKCU, k, u"b", Bytes{0xBE, 0x12}));
    using Raw = platform::RawRegistryValue;
    EXPECT_EQ(reg.readRaw(HKCU, k, u"s"), (Raw{1, {0x41, 0, 0x2D, 0x4E, 0, 0}}));
    EXPECT_EQ(reg.readRaw(HKCU, k, u"n"), (Raw{4, {4, 3, 2, 1}}));
    EXPECT_EQ(reg.readRaw(HKCU, k, u"b"), (Raw{3, {0xBE, 0x12}}));
    EXPECT_EQ(reg.readRaw(HKCU, k, u"missing"), std::nullopt);
    EXPECT_EQ(reg.readRaw(HKCU, key(u"Missing"), u"s"), std::nullopt);
}

#ifndef _WIN32
TEST_F(RegistryTest, MachineKeysRefuseEveryChangeToAStoreWithoutAdministrator)
{
    constexpr auto HKLM = RegistryRoot::LocalMachine;
    ASSERT_TRUE(reg.writeNumber(HKLM, u"SYSTEM\\Control", u"n", 1));
    platform::RegistryStore user(dir.path().u16string(), false);
    EXPECT_FALSE(user.writeString(HKLM, u"SYSTEM\\Control", u"s", u"x"));
    EXPECT_FALSE(user.writeNumber(HKLM, u"SYSTEM\\Control", u"n", 2));
    EXPECT_FALSE(user.writeBinary(HKLM, u"SYSTEM\\New", u"b", Bytes{1}));
    EXPECT_FALSE(user.openKey(HKLM, u"SYSTEM\\New", true));
    EXPECT_FALSE(user.openKey(HKLM, u"SYSTEM\\Control", true));
    EXPECT_FALSE(user.deleteValue(HKLM, u"SYSTEM\\Control", u"n"));
    EXPECT_FALSE(user.deleteKeyTree(HKLM, u"SYSTEM\\Control"));
    EXPECT_TRUE(user.openKey(HKLM, u"SYSTEM\\Control", false));
    EXPECT_EQ(user.readValue(HKLM, u"SYSTEM\\Control", u"n"), RegistryValue(std::uint32_t(1)));
    EXPECT_FALSE(user.openKey(HKLM, u"SYSTEM\\New", false));
    EXPECT_TRUE(user.writeNumber(HKCU, key(u"K"), u"n", 3));
}

TEST_F(RegistryTest, StoreIsRegeditTextThatANewInstanceReads)
{
    ASSERT_TRUE(reg.writeString(HKCU, key(u"Run"), u"Quorlin", u"\"C:\\Q\\q.exe\" -Min"));
    ASSERT_TRUE(reg.writeNumber(HKCU, key(u"Run"), u"", 42));
    const std::string text = readBytes(dir.path() / "HKEY_CURRENT_USER.reg");
    EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(text.find("\"Quorlin\"=\"\\\"C:\\\\Q\\\\q.exe\\\" -Min\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("@=dword:0000002a\r\n"), std::string::npos);
    platform::RegistryStore again(dir.path().u16string());
    EXPECT_EQ(again.readValue(HKCU, key(u"run"), u"quorlin"),
              RegistryValue(std::u16string(u"\"C:\\Q\\q.exe\" -Min")));
    EXPECT_FALSE(again.openKey(RegistryRoot::LocalMachine, key(u"Run"), false));
}

TEST_F(RegistryTest, DamagedStoreFileIsReadWithoutHarm)
{
    writeBytes(
        dir.path() / "HKEY_CURRENT_USER.reg",
        "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:zz\n\"b\"=hex:0g,01\n\"c\"=\"unterminated\n"
        "\"d\"=\"\\x\"\n\"e\"=dword:00000001\n[HKEY_CURRENT_USER\\K\ngarbage\n\xff\xfe\n");
    EXPECT_EQ(reg.readValue(HKCU, u"K", u"a"), std::nullopt);
    EXPECT_EQ(reg.readValue(HKCU, u"K", u"c"), std::nullopt);
    EXPECT_EQ(reg.readValue(HKCU, u"K", u"e"), RegistryValue(std::uint32_t(1)));
    EXPECT_TRUE(reg.writeNumber(HKCU, u"K", u"f", 2));
    EXPECT_EQ(reg.readValue(HKCU, u"K", u"e"), RegistryValue(std::uint32_t(1)));
}

TEST_F(RegistryTest, NoHeaderOrNameCanBreakALineOfTheStore)
{
    // A header glued to another root's name, and one whose name is an overlong line feed.
    const auto file = dir.path() / "HKEY_CURRENT_USER.reg";
    writeBytes(file, "REGEDIT4\r\n[HKEY_CURRENT_USERS\\K]\r\n\"a\"=dword:00000001\r\n"
                     "[HKEY_CURRENT_USER\xc0\x8a]\r\n\"b\"=dword:00000002\r\n");
    EXPECT_FALSE(reg.openKey(HKCU, u"S\\K", false));
    EXPECT_FALSE(reg.writeNumber(HKCU, u"A\nB", u"n", 1));
    ASSERT_TRUE(reg.writeNumber(HKCU, u"K", u"n", 7));
    const std::string once = readBytes(file);
    for (std::size_t at = once.find('\n'); at != std::string::npos; at = once.find('\n', at + 1))
        EXPECT_EQ(once[at - 1], '\r') << once;
    ASSERT_TRUE(reg.writeNumber(HKCU, u"K", u"n", 7));
    EXPECT_EQ(readBytes(file), once);
}
#endif

} // namespace

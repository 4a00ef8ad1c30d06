#include "PlatformUnderTest.h"
#include "TempDir.h"

#include "platform/portable/RegistryAutostart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

namespace {

using platform::RegistryRoot;

constexpr char16_t runKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value, over the registry under test (under wine, the prefix's HKCU).
TEST(AutostartTest, RunValueQuotesThePathAndAddsMin)
{
    TempDir dir;
    under_test::Registry registry{dir.path()};
    platform::RegistryAutostart entry(registry);
    entry.remove();
    EXPECT_EQ(entry.read(), std::nullopt);

    entry.write(u"C:\\Program Files\\Quorlin 中文\\Quorlin.exe");
    const std::u16string expected = u"\"C:\\Program Files\\Quorlin 中文\\Quorlin.exe\" -Min";
    EXPECT_EQ(entry.read(), expected);
    EXPECT_EQ(registry.readValue(RegistryRoot::CurrentUser, runKey, u"Quorlin"),
              platform::RegistryValue(expected));

    entry.remove();
    EXPECT_EQ(entry.read(), std::nullopt);
    EXPECT_NO_THROW(entry.remove());
}

#ifndef _WIN32
class XdgAutostartTest : public ::testing::Test {
protected:
    TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    platform::XdgAutostart entry;

    XdgAutostartTest() { setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1); }
    ~XdgAutostartTest() override
    {
        if (old)
            setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    std::string desktopFile() const { return readBytes(dir.path() / "autostart/Quorlin.desktop"); }
};

TEST_F(XdgAutostartTest, ExecQuotesByTheDesktopEntryRulesAndRemoveToleratesNoFile)
{
    const struct {
        std::u16string executable;
        std::string execLine;   // as in the file
        std::u16string command; // as read back
    } rows[] = {
        {u"/usr/bin/quorlin", "Exec=\"/usr/bin/quorlin\" -Min", u"\"/usr/bin/quorlin\" -Min"},
        {u"/opt/My Apps/中文/quorlin", "Exec=\"/opt/My Apps/中文/quorlin\" -Min",
         u"\"/opt/My Apps/中文/quorlin\" -Min"},
        {u"/a\"b", "Exec=\"/a\\\\\"b\" -Min", u"\"/a\\\"b\" -Min"},
        {u"/a$b`c", "Exec=\"/a\\\\$b\\\\`c\" -Min", u"\"/a\\$b\\`c\" -Min"},
        {u"/a\\b", "Exec=\"/a\\\\\\\\b\" -Min", u"\"/a\\\\b\" -Min"},
        {u"/100%/q", "Exec=\"/100%%/q\" -Min", u"\"/100%%/q\" -Min"},
        {u"/new\nline", "Exec=\"/new\\nline\" -Min", u"\"/new\nline\" -Min"},
    };
    for (const auto& row : rows) {
        entry.write(row.executable);
        const std::string file = desktopFile();
        EXPECT_EQ(file.rfind("[Desktop Entry]\n", 0), 0u);
        EXPECT_NE(file.find("\nType=Application\n"), std::string::npos);
        EXPECT_NE(file.find("\nName=Quorlin\n"), std::string::npos);
        EXPECT_NE(file.find("\n" + row.execLine + "\n"), std::string::npos) << file;
        EXPECT_EQ(entry.read(), row.command);
    }

    entry.remove();
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "autostart/Quorlin.desktop"));
    EXPECT_EQ(entry.read(), std::nullopt);
    EXPECT_NO_THROW(entry.remove());
}

TEST_F(XdgAutostartTest, RefusedWriteThrowsWithTheReason)
{
    writeBytes(dir.path() / "autostart", "a file where the folder should be");
    try {
        entry.write(u"/usr/bin/quorlin");
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("autostart"), std::string::npos) << e.what();
    }
}
#endif

} // namespace

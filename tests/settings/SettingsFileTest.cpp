#include "support/OrdinaryUser.h"
#include "support/TestEnvironment.h"

#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    // Puts raw bytes into the settings file, as a hand edit would.
    void WriteRaw(const QByteArray& bytes)
    {
        QFile file(env.SettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    SettingsFile Settings() { return SettingsFile(*env.platform.profile, env.SettingsPath()); }

    TestEnvironment env;
};

TEST_F(SettingsFileTest, HandEditedIntegersReadAsTheirValueOrTheDefault)
{
    const struct {
        const char* stored;
        int expected; // read with the default 77
    } rows[] = {{"12", 12},   {"-1", -1},          {"0x10", 16},
                {"0X1f", 31}, {"0xFFFFFFFF", -1},  {"", 77},
                {"abc", 77},  {"12abc", 77},       {"1 2", 77},
                {"0x", 77},   {"99999999999", 77}, {"-2147483648", -2147483647 - 1}};
    for (const auto& row : rows) {
        WriteRaw(QByteArray("[S]\r\nK=") + row.stored + "\r\n");
        EXPECT_EQ(Settings().ReadInteger("S", "K", 77), row.expected) << row.stored;
    }
}

TEST_F(SettingsFileTest, AnyNonZeroIntegerIsTrueAndAWordIsTheDefault)
{
    const struct {
        const char* stored;
        bool fallback;
        bool expected;
    } rows[] = {{"1", false, true},   {"0", true, false},    {"2", false, true},
                {"-1", false, true},  {"0x10", false, true}, {"yes", false, false},
                {"true", true, true}, {"", true, true}};
    for (const auto& row : rows) {
        WriteRaw(QByteArray("[S]\r\nK=") + row.stored + "\r\n");
        EXPECT_EQ(Settings().ReadBool("S", "K", row.fallback), row.expected) << row.stored;
    }
}

TEST_F(SettingsFileTest, MissingFileSectionOrKeyReadsTheDefaultsAStoredEmptyTextDoesNot)
{
    SettingsFile s = Settings();
    EXPECT_EQ(s.ReadString("NetRadio", "RadioName", "默认"), "默认");
    EXPECT_EQ(s.ReadInteger("NetRadio", "RadioVolume", 100), 100);
    EXPECT_TRUE(s.ReadBool("HintTime", "HintTimeMode", true));
    EXPECT_FALSE(QFile::exists(env.SettingsPath())) << "reading must not create the file";
    WriteRaw("[NetRadio]\r\nAutoPlay=1\r\n[SafeModes]\r\nPassword=\r\n");
    EXPECT_EQ(s.ReadInteger("NetRadio", "RadioVolume", 100), 100);
    EXPECT_EQ(s.ReadString("Other", "AutoPlay", "x"), "x");
    EXPECT_EQ(s.ReadString("SafeModes", "Password", "fallback"), "");
}

TEST_F(SettingsFileTest, DatesAndTimesRoundTripAndBadTextGivesTheDefault)
{
    SettingsFile s = Settings();
    s.WriteDate("SystemClear", "NextDate", QDate(2026, 3, 7));
    EXPECT_EQ(s.ReadString("SystemClear", "NextDate", ""), "2026/03/07");
    EXPECT_EQ(s.ReadDate("SystemClear", "NextDate", QDate()), QDate(2026, 3, 7));

    const QDate today(2026, 12, 9);
    WriteRaw("[SystemTheme]\r\nThemeDate=2026-2-3\r\nBad=31/31/2026\r\n"
             "[AlarmClocks]\r\nAlarmClockFirstTime=7:05:00\r\nAlarmClockSecondTime=25:61:00\r\n");
    EXPECT_EQ(s.ReadDate("SystemTheme", "ThemeDate", today), QDate(2026, 2, 3));
    EXPECT_EQ(s.ReadDate("SystemTheme", "Bad", today), today);
    EXPECT_EQ(s.ReadTime("AlarmClocks", "AlarmClockFirstTime", QTime(1, 0)), QTime(7, 5, 0));
    EXPECT_EQ(s.ReadTime("AlarmClocks", "AlarmClockSecondTime", QTime(1, 0)), QTime(1, 0));
}

TEST_F(SettingsFileTest, GarbageLongValuesAndInvalidGbkNeverBreakReading)
{
    QByteArray bytes = "garbage without equals\r\n=orphan\r\n[[[\r\n[NetRadio]\r\n";
    bytes += "RadioName=" + QByteArray(5000, 'x') + "\r\n";
    bytes += "Broken=\xff\xfe\x81\r\n";
    bytes += "RadioVolume=55\r\n";
    WriteRaw(bytes);
    SettingsFile s = Settings();
    EXPECT_EQ(s.ReadString("NetRadio", "RadioName", "").size(), 2047);
    // 0xFF reads as the private-use character Windows gives it and the pair as its
    // character, so the text survives a rewrite instead of becoming "?".
    EXPECT_EQ(s.ReadString("NetRadio", "Broken", "").toStdU32String(), U"\xF8F5\x4729");
    EXPECT_EQ(s.ReadInteger("NetRadio", "Broken", 7), 7);
    s.WriteString("NetRadio", "Broken", s.ReadString("NetRadio", "Broken", ""));
    QFile file(env.SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Broken=\xff\xfe\x81\r\n"));
    EXPECT_EQ(s.ReadInteger("NetRadio", "RadioVolume", 100), 55);
}

TEST_F(SettingsFileTest, WritesAreGbkOneValuePerLineAndKeepTheRest)
{
    SettingsFile s = Settings();
    s.WriteString("AlarmClocks", "AlarmClockFirstHint", "时间到啦\r\n下一行=坏");
    s.WriteBool("NetRadio", "AutoPlay", true);
    s.WriteInteger("NetRadio", "RadioVolume", 42);
    s.WriteBool("NetRadio", "AutoPlay", false);
    EXPECT_EQ(s.ReadString("AlarmClocks", "AlarmClockFirstHint", ""), "时间到啦  下一行=坏");
    const QString text = env.SettingsText();
    EXPECT_TRUE(text.contains("[NetRadio]\r\nAutoPlay=0\r\nRadioVolume=42\r\n"))
        << text.toStdString();
    EXPECT_EQ(text.count("AutoPlay="), 1) << "a value is replaced in place";
}

TEST_F(SettingsFileTest, TextOfEveryScriptComesBackAndOlderGbkFilesReadTheSame)
{
    SettingsFile s = Settings();
    const QString hint = QStringLiteral("jörg ß é 한 😀 €5 闹钟");
    s.WriteString("AlarmClocks", "AlarmClockFirstHint", hint);
    EXPECT_EQ(Settings().ReadString("AlarmClocks", "AlarmClockFirstHint", ""), hint);
    // A value spelling what once stood for "absent" is a value like any other.
    s.WriteString("NetRadio", "RadioName", QStringLiteral("\uFDD0absent\uFDD1"));
    EXPECT_EQ(s.ReadString("NetRadio", "RadioName", "x"), QStringLiteral("\uFDD0absent\uFDD1"));

    // Written by an earlier version: GBK bytes, the euro sign as 0x80.
    WriteRaw("[AlarmClocks]\r\nAlarmClockFirstHint=\xca\xb1\xbc\xe4\xb5\xbd\x80\r\n");
    EXPECT_EQ(Settings().ReadString("AlarmClocks", "AlarmClockFirstHint", ""), "时间到€");
    s.WriteBool("AlarmClocks", "AlarmClockFirstState", true);
    QFile file(env.SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(
        "[AlarmClocks]\r\nAlarmClockFirstHint=\xca\xb1\xbc\xe4\xb5\xbd\x80\r\n"));
}

TEST_F(SettingsFileTest, TheFirstWriteMakesTheFoldersTheFileLivesIn)
{
    // A fresh account: no ~/.config yet when the first box is loaded.
    const QString path = env.ProgramDir() + "home/.config/Quorlin";
    SettingsFile s(*env.platform.profile, path);
    s.WriteBool("HintTime", "HintTimeMode", true);
    EXPECT_TRUE(s.ReadBool("HintTime", "HintTimeMode", false));
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(SettingsFileTest, ARefusedWriteRaisesUnableToWrite)
{
    // A path below a regular file cannot be created, not even by root.
    const QString blocker = env.ProgramDir() + "blocker";
    env.WriteProgramFile("blocker", "x");
    SettingsFile s(*env.platform.profile, blocker + "/Quorlin");
    try {
        s.WriteBool("AppAutoRun", "AutoRun", true);
        FAIL() << "the write should have been refused";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  "Unable to write to " + QDir::toNativeSeparators(blocker + "/Quorlin"));
    }
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    const QByteArray kept = "[SafeModes]\r\nPassword=x\r\n";
    WriteRaw(kept);
    // Anyone may replace the file in its folder; only reading it is refused.
    QFile::setPermissions(QFileInfo(env.SettingsPath()).path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(env.SettingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const std::optional<int> status = RunAsOrdinaryUser([&] {
        if (QFile(env.SettingsPath()).open(QIODevice::ReadOnly))
            return kSkip;
        try {
            Settings().WriteBool("AppAutoRun", "AutoRun", true);
        } catch (const SettingsWriteError&) {
            return 0;
        }
        return 1;
    });
    if (!status)
        GTEST_SKIP() << "no unprivileged user to read as";
    EXPECT_EQ(*status, 0) << "the refused write is reported";
    QFile file(env.SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kept);
}

#ifndef Q_OS_WIN
TEST_F(SettingsFileTest, OnlyTheOwnerMayReadTheFile)
{
    const auto mode = [&] {
        return QFile::permissions(env.SettingsPath()) &
               (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther |
                QFile::ReadOwner | QFile::WriteOwner);
    };
    const QFileDevice::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    QFile::remove(env.SettingsPath());
    Settings().WriteString("SafeModes", "Password", "x");
    EXPECT_EQ(mode(), owner) << "a new file";

    // A file an older version left readable for everyone is tightened at the next write.
    QFile::setPermissions(env.SettingsPath(), owner | QFile::ReadGroup | QFile::ReadOther);
    Settings().WriteBool("SafeModes", "SafeModeState", true);
    EXPECT_EQ(mode(), owner) << "an older file";
    EXPECT_EQ(Settings().ReadString("SafeModes", "Password", ""), "x");
}
#endif

} // namespace

#include "support/KilledRewrites.h"
#include "support/TestEnvironment.h"

#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <QFile>

#include <iostream>

namespace {

struct WriteRow {
    const char* section;
    const char* key;
    const char* oldValue;
    const char* newValue;
};

class SettingsKilledDuringWrite : public ::testing::TestWithParam<WriteRow> {};

// A settings file as a used program has it, so that a rewrite has a real size.
void WriteUsedSettings(SettingsFile& settings)
{
    const char* sections[] = {
        "FixedTimes",  "DestineWeeks", "ConfineWeekTimes", "SystemRunTimes", "EconomizePowers",
        "NetStates",   "AlarmClocks",  "SafeModes",        "AppAutoRun",     "SystemClear",
        "SystemTheme", "HintTime",     "RestHint",         "NetRadio"};
    for (const char* section : sections)
        for (int k = 0; k < 4; ++k)
            settings.WriteString(section, QStringLiteral("Key%1").arg(k),
                                 QStringLiteral("值 %1").arg(k));
}

TEST_P(SettingsKilledDuringWrite, LeavesExactlyTheOldOrTheNewFile)
{
    TestEnvironment env;
    SettingsFile settings(*env.platform.profile, env.SettingsPath());
    WriteUsedSettings(settings);
    const WriteRow row = GetParam();
    const KilledRewrites r = KillDuringRewrites(
        env.SettingsPath(),
        [&](bool toNew) {
            settings.WriteString(row.section, row.key,
                                 QString::fromUtf8(toNew ? row.newValue : row.oldValue));
        },
        300);
    EXPECT_EQ(r.rounds, 300);
    EXPECT_EQ(r.broken, 0) << r.firstBroken.toStdString();
    EXPECT_GT(r.sawOld, 0);
    EXPECT_GT(r.sawNew, 0);
    EXPECT_GT(r.killedInside, r.rounds / 4) << "kills missed the writes";
    std::cout << r.Summary() << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsKilledDuringWrite,
                         ::testing::Values(WriteRow{"FixedTimes", "FixedTime", "7:00:00",
                                                    "22:30:00"},
                                           WriteRow{"AlarmClocks", "AlarmClockFirstHint",
                                                    "时间到啦", "该起床了,不然太阳要晒屁屁喽"}));

} // namespace

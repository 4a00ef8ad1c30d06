#include "support/TestEnvironment.h"

#include "reminders/RestReminders.h"

#include <gtest/gtest.h>

#include <QCheckBox>

namespace {

class Rest : public ::testing::Test {
protected:
    Rest() { env.Start<RestReminders>(); }
    // An uptime that never reaches a two-hour step in these tests unless one moves it.
    void SetUp() override { env.systemInfo->uptimeMs = 1500; }

    //! Ticks twice a second through the minute around `at` on `date`.
    QStringList BalloonsAround(const QDate& date, const QTime& at)
    {
        env.ui.Clear();
        env.TickThrough(QDateTime(date, at).addSecs(-30), 61, 2);
        return env.ui.Texts("balloon");
    }

    RestReminders& Feature() { return env.Feature<RestReminders>(); }

    TestEnvironment env;
};

TEST_F(Rest, TheNightReminderAtEveryFullHourFromTenAtNightToFourInTheMorning)
{
    const struct {
        int hour;
        bool shown;
    } rows[] = {{21, false}, {22, true}, {23, true}, {0, true},
                {3, true},   {4, true},  {5, false}, {12, false}};
    for (const auto& row : rows) {
        const QStringList expected =
            row.shown ? QStringList{RestReminders::NightText()} : QStringList{};
        EXPECT_EQ(BalloonsAround(QDate(2026, 12, 9), QTime(row.hour, 0)), expected) << row.hour;
    }
    EXPECT_TRUE(BalloonsAround(QDate(2026, 12, 9), QTime(23, 30)).isEmpty());
}

TEST_F(Rest, TheNoonReminderOnlyFromJuneToSeptember)
{
    const struct {
        QDate date;
        bool shown;
    } rows[] = {{QDate(2026, 5, 31), false},
                {QDate(2026, 6, 1), true},
                {QDate(2026, 7, 15), true},
                {QDate(2026, 9, 30), true},
                {QDate(2026, 10, 1), false}};
    for (const auto& row : rows) {
        const QStringList expected =
            row.shown ? QStringList{RestReminders::NoonText()} : QStringList{};
        EXPECT_EQ(BalloonsAround(row.date, QTime(12, 0)), expected)
            << row.date.toString().toStdString();
    }
    EXPECT_TRUE(BalloonsAround(QDate(2026, 7, 15), QTime(13, 0)).isEmpty());
}

TEST_F(Rest, EveryTwoHoursOfUptimeOnceWithTheHoursOfUse)
{
    const struct {
        std::uint32_t step; // seconds of uptime the reminder is due at
        const char* begins;
    } rows[] = {{7200, "你已经使用电脑2小时\n保护视力:"},
                {14400, "你已经使用电脑4小时\n保护视力:"}};
    for (const auto& row : rows) {
        env.ui.Clear();
        env.clock->Set(QDate(2026, 12, 9), QTime(10, 20, 0));
        // Uptime seconds are out of phase with the clock's: 400 ms into each.
        for (std::uint32_t s = row.step - 30; s <= row.step + 30; ++s) {
            env.systemInfo->uptimeMs = s * 1000 + 400;
            env.Tick();
        }
        const QStringList shown = env.ui.Texts("balloon");
        ASSERT_EQ(shown.size(), 1) << row.step;
        EXPECT_TRUE(shown[0].startsWith(QString::fromUtf8(row.begins))) << row.step;
        EXPECT_TRUE(shown[0].endsWith("请去洗洗脸^_^."));
    }
}

TEST_F(Rest, TheUptimeStepIsShownOnceWhenATickSkipsItOrSeesItTwice)
{
    const struct {
        const char* name;
        std::vector<std::uint32_t> uptimeMs;
        int shown;
    } rows[] = {
        {"skipped", {7198'990, 7199'995, 7201'001, 7202'004}, 1},
        {"seen twice", {7199'400, 7200'001, 7200'998, 7202'000}, 1},
        {"woken a second late after a sleep", {3000'000, 7201'300}, 1},
        {"count wrapped to 0", {4294'966'000, 200, 1'300}, 0},
        {"program started past the step", {7260'000, 7261'000}, 0},
    };
    for (const auto& row : rows) {
        env.Restart();
        env.ui.Clear();
        env.clock->Set(QDate(2026, 12, 9), QTime(10, 20, 0));
        for (std::uint32_t ms : row.uptimeMs) {
            env.systemInfo->uptimeMs = ms;
            env.Tick();
        }
        EXPECT_EQ(env.ui.Count("balloon"), row.shown) << row.name;
    }
}

TEST_F(Rest, OnAtFirstStartAndOffMeansNoReminderOfAnyKindAlsoAfterARestart)
{
    EXPECT_TRUE(Feature().RestHintCheckBox->isChecked());
    EXPECT_TRUE(env.SettingsText().contains("RestHintState=1"));

    Feature().RestHintCheckBox->setChecked(false);
    EXPECT_TRUE(env.SettingsText().contains("RestHintState=0"));
    env.Restart();
    EXPECT_FALSE(Feature().RestHintCheckBox->isChecked());
    env.systemInfo->uptimeMs = 7200'000;
    EXPECT_TRUE(BalloonsAround(QDate(2026, 7, 1), QTime(12, 0)).isEmpty());
    EXPECT_TRUE(BalloonsAround(QDate(2026, 7, 1), QTime(23, 0)).isEmpty());

    Feature().RestHintCheckBox->setChecked(true);
    env.systemInfo->uptimeMs = 1500;
    env.Restart();
    EXPECT_TRUE(Feature().RestHintCheckBox->isChecked());
    EXPECT_EQ(BalloonsAround(QDate(2026, 7, 1), QTime(23, 0)),
              QStringList{RestReminders::NightText()});
}

TEST_F(Rest, UptimeAndNoonRemindersInTheSameSecondAreBothShown)
{
    env.clock->Set(QDate(2026, 8, 1), QTime(11, 59, 59));
    env.systemInfo->uptimeMs = 7199'500;
    env.RunTick();
    env.systemInfo->uptimeMs = 7200'500;
    env.Tick();
    EXPECT_EQ(env.ui.Count("balloon"), 2);
}

} // namespace

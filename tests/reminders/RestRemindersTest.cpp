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

TEST_F(Rest, TheNightReminderFromTenAtNightToFourAndTheNoonOneOnlyFromJuneToSeptember)
{
    const QString night = RestReminders::NightText(), noon = RestReminders::NoonText();
    const struct {
        QDate date;
        int hour, minute;
        QString shown;
    } rows[] = {{QDate(2026, 12, 9), 21, 0, {}},    {QDate(2026, 12, 9), 22, 0, night},
                {QDate(2026, 12, 9), 23, 0, night}, {QDate(2026, 12, 9), 0, 0, night},
                {QDate(2026, 12, 9), 3, 0, night},  {QDate(2026, 12, 9), 4, 0, night},
                {QDate(2026, 12, 9), 5, 0, {}},     {QDate(2026, 12, 9), 12, 0, {}},
                {QDate(2026, 12, 9), 23, 30, {}},   {QDate(2026, 5, 31), 12, 0, {}},
                {QDate(2026, 6, 1), 12, 0, noon},   {QDate(2026, 7, 15), 12, 0, noon},
                {QDate(2026, 9, 30), 12, 0, noon},  {QDate(2026, 10, 1), 12, 0, {}},
                {QDate(2026, 7, 15), 13, 0, {}}};
    for (const auto& row : rows) {
        const QStringList expected = row.shown.isEmpty() ? QStringList{} : QStringList{row.shown};
        EXPECT_EQ(BalloonsAround(row.date, QTime(row.hour, row.minute)), expected)
            << row.date.toString().toStdString() << " " << row.hour << ":" << row.minute;
    }
}

TEST_F(Rest, EachUptimeStepIsShownOnceWithItsHoursWhenATickSkipsItOrSeesItTwice)
{
    // Every tick of the minute around two and four hours, 400 ms into the uptime's seconds,
    // which are out of phase with the clock's.
    std::vector<std::uint32_t> sweep;
    for (const std::uint32_t step : {7200u, 14400u})
        for (std::uint32_t s = step - 30; s <= step + 30; ++s)
            sweep.push_back(s * 1000 + 400);
    const QString two = "你已经使用电脑2小时\n保护视力:", four = "你已经使用电脑4小时\n保护视力:";
    const struct {
        const char* name;
        std::vector<std::uint32_t> uptimeMs;
        QStringList begins; // one a balloon
    } rows[] = {
        {"every second around two and four hours", sweep, {two, four}},
        {"skipped", {7198'990, 7199'995, 7201'001, 7202'004}, {two}},
        {"seen twice", {7199'400, 7200'001, 7200'998, 7202'000}, {two}},
        {"woken a second late after a sleep", {3000'000, 7201'300}, {two}},
        {"count wrapped to 0", {4294'966'000, 200, 1'300}, {}},
        {"program started past the step", {7260'000, 7261'000}, {}},
    };
    for (const auto& row : rows) {
        env.Restart();
        env.ui.Clear();
        env.clock->Set(QDate(2026, 12, 9), QTime(10, 20, 0));
        for (std::uint32_t ms : row.uptimeMs) {
            env.systemInfo->uptimeMs = ms;
            env.Tick();
        }
        const QStringList shown = env.ui.Texts("balloon");
        ASSERT_EQ(shown.size(), row.begins.size()) << row.name;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(shown[i].startsWith(row.begins[i])) << row.name;
            EXPECT_TRUE(shown[i].endsWith("请去洗洗脸^_^.")) << row.name;
        }
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

TEST_F(Rest, AnUptimeStepBringsTheNightOrNoonReminderOnlyOnTheFullHour)
{
    // The step falls on second 0 of a minute in both; only at 12:00 is it a reminder's hour.
    const struct {
        QDate date;
        QTime before;
        QStringList shown;
    } rows[] = {
        {QDate(2026, 8, 1),
         QTime(11, 59, 59),
         {RestReminders::UptimeText(2), RestReminders::NoonText()}},
        {QDate(2026, 12, 1), QTime(23, 16, 59), {RestReminders::UptimeText(2)}},
    };
    for (const auto& row : rows) {
        env.ui.Clear();
        env.clock->Set(row.date, row.before);
        env.systemInfo->uptimeMs = 7199'500;
        env.RunTick();
        env.systemInfo->uptimeMs = 7200'500;
        env.Tick();
        EXPECT_EQ(env.ui.Texts("balloon"), row.shown) << row.before.toString().toStdString();
    }
}

} // namespace

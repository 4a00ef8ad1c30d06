#include "support/TestEnvironment.h"

#include "core/FeatureContext.h"
#include "reminders/AlarmClocks.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QDate kMonday(2026, 12, 7);

// Arms an alarm the way a user does: range, time and hint typed, then the box checked.
void Arm(AlarmClocks& a, bool first, const QString& time, const QString& hint, int up = 0,
         int down = 6)
{
    a.AlarmClockWeekUpComboBox->setCurrentIndex(up);
    a.AlarmClockWeekDownComboBox->setCurrentIndex(down);
    (first ? a.AlarmClockFirstMaskEdit : a.AlarmClockSecondMaskEdit)->setText(time);
    (first ? a.AlarmClockFirstHintEdit : a.AlarmClockSecondHintEdit)->setText(hint);
    (first ? a.AlarmClockFirstCheckBox : a.AlarmClockSecondCheckBox)->setChecked(true);
}

TEST(AlarmClocks, FirstStartShowsTheStartTimeAndDefaultHintsAndRefusesATimeThatCannotBeRead)
{
    TestEnvironment env;
    env.clock->Set(kMonday, QTime(7, 5, 9));
    AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
    EXPECT_EQ(a.AlarmClockFirstMaskEdit->text(), "07:05:09");
    EXPECT_EQ(a.AlarmClockSecondMaskEdit->text(), "07:05:09");
    EXPECT_EQ(a.AlarmClockFirstHintEdit->text(), "时间到啦，该起床了,不然太阳要晒屁屁喽");
    EXPECT_EQ(a.AlarmClockSecondHintEdit->text(), AlarmClocks::DefaultHint());
    EXPECT_FALSE(a.AlarmClockFirstCheckBox->isChecked());
    EXPECT_FALSE(a.AlarmClockSecondCheckBox->isChecked());
    EXPECT_EQ(a.PlayerFile(), env.ProgramDir() + "AlarmClockSound/AlarmClock.mp3");
    EXPECT_FALSE(env.SettingsText().contains("AlarmClocks"));

    // A time that cannot be read is refused when its box is checked.
    a.AlarmClockFirstMaskEdit->clear();
    a.AlarmClockFirstCheckBox->setChecked(true);
    EXPECT_FALSE(a.AlarmClockFirstCheckBox->isChecked());
    EXPECT_TRUE(a.AlarmClockFirstMaskEdit->isEnabled());
    EXPECT_EQ(env.ui.Texts("message"), QStringList({"请输入一个正确的时间格式:如　12:12:00"}));
    EXPECT_FALSE(env.SettingsText().contains("AlarmClockFirstState"));
}

TEST(AlarmClocks, RingsOnlyOnWeekdaysInsideTheRangeWhicheverWayItIsSet)
{
    struct Row {
        int up, down;
        QString ringsOn; // one letter a day, Sunday first
    };
    const Row rows[] = {
        {5, 1, "-XXXXX-"}, // no wrap-around: Friday..Monday is Monday..Friday
        {1, 5, "-XXXXX-"},
        {3, 3, "---X---"},
        {6, 0, "XXXXXXX"},
    };
    for (const Row& row : rows) {
        TestEnvironment env;
        AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
        Arm(a, true, "07:00:00", "起床", row.up, row.down);
        QString rang;
        for (int day = 0; day < 7; ++day) {
            env.ui.Clear();
            env.clock->Set(kMonday.addDays(day - 1), QTime(6, 59, 59));
            env.Tick();
            rang += env.ui.Count("yesonly") == 1 ? u'X' : u'-';
        }
        EXPECT_EQ(rang, row.ringsOn) << row.up << ".." << row.down;
    }
}

TEST(AlarmClocks, TwoAlarmsInOneSecondRingOnceWithTheFirstHintAndTheTimeOfTheRing)
{
    TestEnvironment env;
    AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
    Arm(a, true, "7:00:00", "第一");
    Arm(a, false, "07:00:00", "第二");
    // Every second of the minute around it, two ticks in its own second as a drifting
    // timer can deliver, with a re-plan between them (a list edited meanwhile); then the
    // first alarm armed again for the next minute.
    env.clock->Set(kMonday, QTime(6, 59, 29));
    for (int s = 0; s < 60; ++s) {
        if (s == 31)
            env.Host().Context().Replan();
        env.Tick(s == 31 ? 0 : 1);
    }
    EXPECT_EQ(env.ui.Texts("yesonly"), QStringList({"闹铃时间到：7:00:00\n第一"}));
    a.AlarmClockFirstCheckBox->setChecked(false);
    Arm(a, true, "7:01:00", "再一");
    for (int s = 0; s < 60; ++s)
        env.Tick();
    EXPECT_EQ(env.ui.Texts("yesonly"),
              QStringList({"闹铃时间到：7:00:00\n第一", "闹铃时间到：7:01:00\n再一"}));
}

TEST(AlarmClocks, OnlyAnAlarmWhoseOwnBoxIsCheckedRings)
{
    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "first armed" : "second armed");
        TestEnvironment env;
        AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
        // The other alarm's field holds a time of its own, an hour earlier.
        (first ? a.AlarmClockSecondMaskEdit : a.AlarmClockFirstMaskEdit)->setText("07:00:00");
        Arm(a, first, "08:00:00", "这个");
        for (const QTime at : {QTime(7, 0), QTime(8, 0)}) {
            env.clock->Set(kMonday, at);
            env.RunTick();
        }
        EXPECT_EQ(env.ui.Texts("yesonly"), QStringList({"闹铃时间到：8:00:00\n这个"}));

        // Both cleared: nothing rings, whatever the times; a missed second is not caught up.
        env.ui.Clear();
        (first ? a.AlarmClockFirstCheckBox : a.AlarmClockSecondCheckBox)->setChecked(false);
        env.Tick(-1);
        env.Tick();
        EXPECT_EQ(env.ui.Count("yesonly"), 0);
    }
}

TEST(AlarmClocks, TheSoundLoopsThroughItsEndsUntilTheBoxIsAnswered)
{
    TestEnvironment env;
    AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
    Arm(a, true, "07:00:00", "起床");
    env.ui.WhileOpen = [&](const FakeUi::Call&) {
        EXPECT_TRUE(env.player->playing);
        env.player->ReachEnd();
        env.player->ReachEnd();
        EXPECT_TRUE(env.player->playing) << "played again after each end";
    };
    env.clock->Set(kMonday, QTime(6, 59, 59));
    env.Tick();
    EXPECT_EQ(env.player->log,
              QStringList({"open " + a.PlayerFile(), "play", "play", "play", "close"}));
    EXPECT_FALSE(env.player->playing);
    EXPECT_TRUE(a.AlarmDismissed);
    a.AlarmClockMediaPlayerNotify(); // a late notice after the answer
    EXPECT_FALSE(a.AlarmDismissed);
    EXPECT_FALSE(env.player->playing);
}

TEST(AlarmClocks, ASecondRingOverAnOpenOneKeepsTheSoundUntilTheLastBoxIsAnswered)
{
    TestEnvironment env;
    AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
    Arm(a, true, "07:00:00", "第一");
    Arm(a, false, "07:00:02", "第二");
    int depth = 0;
    env.ui.WhileOpen = [&](const FakeUi::Call& call) {
        if (call.kind != "yesonly")
            return;
        if (++depth == 1) {
            env.Tick(2); // the outer box waits; the second alarm comes due
            EXPECT_EQ(a.OpenRings(), 1);
            EXPECT_TRUE(env.player->open) << "the outer ring is still sounding";
            env.player->ReachEnd();
            EXPECT_TRUE(env.player->playing);
        } else {
            EXPECT_EQ(a.OpenRings(), 2);
        }
    };
    env.clock->Set(kMonday, QTime(6, 59, 59));
    env.Tick();
    EXPECT_EQ(env.ui.Texts("yesonly"),
              QStringList({"闹铃时间到：7:00:00\n第一", "闹铃时间到：7:00:02\n第二"}));
    EXPECT_EQ(a.OpenRings(), 0);
    EXPECT_FALSE(env.player->open);
}

TEST(AlarmClocks, CheckingABoxLocksAndSavesClearingUnlocksOnlyWhatNoAlarmStillUses)
{
    TestEnvironment env;
    AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
    Arm(a, true, "07:30:00", "一", 5, 1);
    EXPECT_FALSE(a.AlarmClockFirstMaskEdit->isEnabled());
    EXPECT_FALSE(a.AlarmClockWeekUpComboBox->isEnabled());
    EXPECT_TRUE(env.SettingsText().contains(
        "[AlarmClocks]\r\nAlarmClockWeekUp=5\r\nAlarmClockWeekDown=1\r\n"
        "AlarmClockFirstTime=07:30:00\r\nAlarmClockSecondTime="));
    EXPECT_TRUE(env.SettingsText().contains("AlarmClockFirstHint=一\r\n"));
    EXPECT_TRUE(env.SettingsText().contains("AlarmClockFirstState=1\r\nAlarmClockSecondState=0"));

    Arm(a, false, "09:00:00", "二", 5, 1);
    a.AlarmClockSecondCheckBox->setChecked(false);
    EXPECT_TRUE(a.AlarmClockSecondMaskEdit->isEnabled());
    EXPECT_FALSE(a.AlarmClockWeekDownComboBox->isEnabled()) << "the first alarm uses the range";
    EXPECT_TRUE(env.SettingsText().contains("AlarmClockSecondState=0"));
    a.AlarmClockFirstCheckBox->setChecked(false);
    EXPECT_TRUE(a.AlarmClockWeekDownComboBox->isEnabled());
    EXPECT_TRUE(a.AlarmClockFirstMaskEdit->isEnabled());
}

TEST(AlarmClocks, EveryStoredKeyComesBackArmedAcrossRestartsAndAWeekdayOutsideTheListIsSunday)
{
    using A = AlarmClocks;
    const auto n = [](int i) { return QString::number(i); };
    // A field and the value the feature keeps from it.
    const auto edit = [](QLineEdit* A::*field, QString A::*kept) {
        return [=](A& a) { return QStringList{(a.*field)->text(), a.*kept}; };
    };
    // Each value different from the others and from its default; the range given backwards.
    const std::vector<std::tuple<QString, QString, std::function<QStringList(A&)>>> keys = {
        {"AlarmClockWeekUp", "6",
         [&](A& a) {
             return QStringList{n(a.AlarmClockWeekUpComboBox->currentIndex()), n(a.WeekUp)};
         }},
        {"AlarmClockWeekDown", "1",
         [&](A& a) {
             return QStringList{n(a.AlarmClockWeekDownComboBox->currentIndex()), n(a.WeekDown)};
         }},
        {"AlarmClockFirstTime", "00:00:01", edit(&A::AlarmClockFirstMaskEdit, &A::FirstTime)},
        {"AlarmClockSecondTime", "23:59:58", edit(&A::AlarmClockSecondMaskEdit, &A::SecondTime)},
        {"AlarmClockFirstHint", "早", edit(&A::AlarmClockFirstHintEdit, &A::FirstHint)},
        {"AlarmClockSecondHint", "晚", edit(&A::AlarmClockSecondHintEdit, &A::SecondHint)},
        {"AlarmClockFirstState", "1",
         [&](A& a) { return QStringList{n(a.AlarmClockFirstCheckBox->isChecked())}; }},
        {"AlarmClockSecondState", "1",
         [&](A& a) { return QStringList{n(a.AlarmClockSecondCheckBox->isChecked())}; }},
        {"AlarmClockSoundPath", "/x/响.mp3", [](A& a) { return QStringList{a.SoundPath}; }},
    };
    QString ini = "[AlarmClocks]\n";
    for (const auto& [key, stored, shown] : keys)
        ini += key + '=' + stored + '\n';
    TestEnvironment env;
    env.WriteProgramFile("../Quorlin", ini);
    for (int start = 0; start < 3; ++start) {
        AlarmClocks& a = env.Start<AlarmClocks>();
        for (const auto& [key, stored, shown] : keys) {
            for (const QString& value : shown(a))
                EXPECT_EQ(value, stored) << key.toStdString() << ", start " << start;
            EXPECT_TRUE(env.SettingsText().contains(key + '=' + stored + "\r\n"))
                << key.toStdString();
        }
    }
    env.clock->Set(kMonday.addDays(5), QTime(23, 59, 57));
    env.Tick();
    EXPECT_EQ(env.ui.Texts("yesonly"), QStringList({"闹铃时间到：23:59:58\n晚"}));

    env.ui.Clear();
    env.WriteProgramFile("../Quorlin", "[AlarmClocks]\nAlarmClockWeekUp=9\nAlarmClockWeekDown=3\n"
                                       "AlarmClockFirstTime=7:05:00\nAlarmClockFirstHint=早\n"
                                       "AlarmClockFirstState=1\n");
    AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
    EXPECT_TRUE(a.AlarmClockFirstCheckBox->isChecked());
    EXPECT_FALSE(a.AlarmClockFirstMaskEdit->isEnabled());
    EXPECT_EQ(a.WeekUp, 0) << "an index outside the list reads as Sunday";
    env.clock->Set(kMonday.addDays(1), QTime(7, 4, 59));
    env.Tick();
    EXPECT_EQ(env.ui.Texts("yesonly"), QStringList({"闹铃时间到：7:05:00\n早"}));
}

TEST(AlarmClocks, ANewSoundIsStoredAtOnceAndRingsFromTheNextStart)
{
    TestEnvironment env;
    AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
    const QString old = a.PlayerFile();
    env.ui.fileAnswers = {std::nullopt, QString("/music/铃声.mp3")};
    a.SetAlarmClockSoundButton->click();
    EXPECT_FALSE(env.SettingsText().contains("AlarmClockSoundPath"));
    a.SetAlarmClockSoundButton->click();
    EXPECT_EQ(env.ui.Texts("file"),
              QStringList({"请选择要使用的闹钟声音", "请选择要使用的闹钟声音"}));
    EXPECT_TRUE(env.SettingsText().contains("AlarmClockSoundPath=/music/铃声.mp3"));
    a.RingAlarm("响");
    EXPECT_EQ(env.player->file, old);

    env.Stop();
    env.Start<Pages::Reminders>().Alarms->RingAlarm("响");
    EXPECT_EQ(env.player->file, "/music/铃声.mp3");
}

} // namespace

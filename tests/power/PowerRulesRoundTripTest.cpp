#include "PowerTestSupport.h"

#include "core/FeatureContext.h"

#include <gtest/gtest.h>

namespace {

using namespace power_test;

// One stored key: what a start shows for it (the control and the value in effect) and
// what arming again writes back, both the stored text unless `saved` says otherwise.
struct Key {
    const char* section;
    const char* key;
    const char* stored;
    std::function<QStringList(FeatureView&)> shown;
    const char* saved = nullptr;
};

// A control and the value in effect beside it.
QStringList Text(const QLineEdit* edit, const QString& inEffect)
{
    return {edit->text(), inEffect};
}
QStringList Index(const QComboBox* list, int inEffect)
{
    return {QString::number(list->currentIndex()), QString::number(inEffect)};
}
QStringList State(const QCheckBox* box)
{
    return {box->isChecked() ? "1" : "0"};
}

// Every key of every rule, each value different from the others of its section and from
// its default, at the ends of its range.
const std::vector<Key>& Keys()
{
    using V = FeatureView;
    static const std::vector<Key> keys = {
        {"FixedTimes", "FixedTime", "23:59:59",
         [](V& v) { return Text(v.FixedTimes->FixedTimeMaskEdit, v.FixedTimes->FixedTime); }},
        // Arming counts the days from today: a start on Wednesday 12/09 is due on 12/16.
        {"FixedTimes", "FixedDate", "2020/01/01",
         [](V& v) { return QStringList{v.FixedTimes->FixedDate}; }, "2026/12/16"},
        {"FixedTimes", "FixedShutDown", "4",
         [](V& v) { return Index(v.FixedTimes->FixedShutDownComboBox, v.FixedTimes->FixedMode); }},
        {"FixedTimes", "FixedDay", "7",
         [](V& v) { return Index(v.FixedTimes->FixedDayComboBox, v.FixedTimes->FixedInterval); }},
        {"FixedTimes", "FixedTimeState", "1",
         [](V& v) { return State(v.FixedTimes->FixedTimeCheckBox); }},
        {"DestineWeeks", "DestineWeekTime", "00:00:01",
         [](V& v) {
             return Text(v.DestineWeeks->DestineWeekTimeEdit, v.DestineWeeks->DestineWeekTime);
         }},
        {"DestineWeeks", "DestineWeek", "6",
         [](V& v) {
             return Index(v.DestineWeeks->DestineWeeksComboBox, v.DestineWeeks->DestineWeek);
         }},
        {"DestineWeeks", "DestineWeekShutDownMode", "4",
         [](V& v) {
             return Index(v.DestineWeeks->DestineWeekShutDownComboBox,
                          v.DestineWeeks->DestineWeekMode);
         }},
        {"DestineWeeks", "DestineWeekState", "1",
         [](V& v) { return State(v.DestineWeeks->DestineWeekCheckBox); }},
        {"ConfineWeekTimes", "ConfineWeekUp", "0",
         [](V& v) {
             return Index(v.ConfineWeekTimes->ConfineWeekComboBox1,
                          v.ConfineWeekTimes->ConfineWeek1);
         }},
        {"ConfineWeekTimes", "ConfineWeekDown", "6",
         [](V& v) {
             return Index(v.ConfineWeekTimes->ConfineWeekComboBox2,
                          v.ConfineWeekTimes->ConfineWeek2);
         }},
        {"ConfineWeekTimes", "ConfineTimeUp", "00:00:01",
         [](V& v) {
             return Text(v.ConfineWeekTimes->ConfineTimeMaskEdit1,
                         v.ConfineWeekTimes->ConfineTime1);
         }},
        {"ConfineWeekTimes", "ConfienTimeDown", "23:59:58",
         [](V& v) {
             return Text(v.ConfineWeekTimes->ConfineTimeMaskEdit2,
                         v.ConfineWeekTimes->ConfineTime2);
         }},
        {"ConfineWeekTimes", "ConfineWeekShutDownMode", "3",
         [](V& v) {
             return Index(v.ConfineWeekTimes->ConfineWeekShutDownComboBox,
                          v.ConfineWeekTimes->ConfineMode);
         }},
        {"ConfineWeekTimes", "ConfineWeekState", "1",
         [](V& v) { return State(v.ConfineWeekTimes->ConfineWeekCheckBox); }},
        {"SystemRunTimes", "SystemRunTime", "99",
         [](V& v) {
             return Text(v.SystemRunTimes->SystemRunTimeEdit, v.SystemRunTimes->Rule.AmountText);
         }},
        {"SystemRunTimes", "SystemRunTimeSelect", "2",
         [](V& v) {
             return Index(v.SystemRunTimes->SystemRunComboBox, v.SystemRunTimes->Rule.Unit);
         }},
        {"SystemRunTimes", "SystemRunShutDownMode", "4",
         [](V& v) {
             return Index(v.SystemRunTimes->SystemRunShutDownComboBox, v.SystemRunTimes->Rule.Mode);
         }},
        {"SystemRunTimes", "SystemRunState", "1",
         [](V& v) { return State(v.SystemRunTimes->SystemRunCheckBox); }},
        {"EconomizePowers", "EconomizePowerTime", "01",
         [](V& v) {
             return Text(v.EconomizePowers->EconomizePowerMaskEdit,
                         v.EconomizePowers->Rule.AmountText);
         }},
        {"EconomizePowers", "EconomizePowerTimeSelect", "2",
         [](V& v) {
             return Index(v.EconomizePowers->EconomizePowerComboBox, v.EconomizePowers->Rule.Unit);
         }},
        {"EconomizePowers", "EconomizePowerShutDownMode", "5",
         [](V& v) {
             return Index(v.EconomizePowers->EconomizePowerShutDownComboBox,
                          v.EconomizePowers->Rule.Mode);
         }},
        {"EconomizePowers", "EconomizePowerState", "1",
         [](V& v) { return State(v.EconomizePowers->EconomizePowerCheckBox); }},
        {"NetStates", "NetStateTime", "98",
         [](V& v) { return Text(v.NetStates->NetStateMaskEdit, v.NetStates->Rule.AmountText); }},
        {"NetStates", "NetStateTimeSelect", "1",
         [](V& v) { return Index(v.NetStates->NetStateComboBox, v.NetStates->Rule.Unit); }},
        {"NetStates", "NetStateShutDown", "2",
         [](V& v) { return Index(v.NetStates->NetStateShutDownComboBox, v.NetStates->Rule.Mode); }},
        {"NetStates", "NetState", "1", [](V& v) { return State(v.NetStates->NetStateCheckBox); }},
    };
    return keys;
}

TEST(PowerRules, EveryStoredKeyComesBackInItsControlAndInEffectAndIsSavedAsFound)
{
    TestEnvironment env;
    QString ini;
    QString section;
    for (const Key& k : Keys()) {
        if (section != k.section)
            ini += QStringLiteral("[%1]\n").arg(section = k.section);
        ini += QStringLiteral("%1=%2\n").arg(k.key, k.stored);
    }
    WriteSettings(env, ini);
    FeatureView& view = env.Start<Pages::PowerRules>();
    for (const Key& k : Keys())
        for (const QString& value : k.shown(view))
            EXPECT_EQ(value, k.saved ? k.saved : k.stored) << k.section << '/' << k.key;

    const std::initializer_list<QCheckBox*> boxes = {
        view.FixedTimes->FixedTimeCheckBox,           view.DestineWeeks->DestineWeekCheckBox,
        view.ConfineWeekTimes->ConfineWeekCheckBox,   view.SystemRunTimes->SystemRunCheckBox,
        view.EconomizePowers->EconomizePowerCheckBox, view.NetStates->NetStateCheckBox};
    for (QCheckBox* box : boxes) {
        box->setChecked(false);
        box->setChecked(true);
    }
    for (const Key& k : Keys())
        EXPECT_EQ(Stored(env, k.section, k.key), k.saved ? k.saved : k.stored)
            << k.section << '/' << k.key;
    EXPECT_TRUE(env.ui.calls.empty());

    // Disarming writes only the state and frees the inputs again.
    QString expected = env.SettingsText();
    for (const char* state : {"FixedTimeState", "DestineWeekState", "ConfineWeekState",
                              "SystemRunState", "EconomizePowerState", "NetState"})
        expected.replace(QStringLiteral("\n%1=1").arg(state), QStringLiteral("\n%1=0").arg(state));
    for (QCheckBox* box : boxes)
        box->setChecked(false);
    EXPECT_EQ(env.SettingsText(), expected);
    for (QWidget* input : {(QWidget*)view.FixedTimes->FixedTimeMaskEdit,
                           (QWidget*)view.DestineWeeks->DestineWeekTimeEdit,
                           (QWidget*)view.ConfineWeekTimes->ConfineTimeMaskEdit2,
                           (QWidget*)view.SystemRunTimes->SystemRunTimeEdit,
                           (QWidget*)view.EconomizePowers->EconomizePowerMaskEdit,
                           (QWidget*)view.NetStates->NetStateMaskEdit})
        EXPECT_TRUE(input->isEnabled()) << input->objectName().toStdString();
    // Nor does any of them act any more: on the weekday's Saturday, inside the period, and
    // in the fixed time's second.
    TickAt(env, kWednesday.addDays(3), QTime(0, 0, 1));
    TickAt(env, kWednesday.addDays(7), QTime(23, 59, 59));
    EXPECT_TRUE(env.power->requests.empty());

    // The next start shows the disarmed rules as they were left.
    FeatureView& again = env.Start<Pages::PowerRules>();
    for (const Key& k : Keys()) {
        const bool state = QString(k.key).endsWith("State");
        EXPECT_EQ(k.shown(again).first(), state     ? "0"
                                          : k.saved ? k.saved
                                                    : k.stored)
            << k.section << '/' << k.key;
    }
}

// The tick may sleep until the next timed rule is due; a counting rule needs it every
// second while armed, and lets it sleep again once disarmed.
TEST(PowerRules, TheTickSleepsTillTheNextTimedRuleAndWakesEverySecondWhileOneCounts)
{
    TestEnvironment env; // Wednesday 10:00:00
    FeatureView& v = env.Start<Pages::PowerRules>();
    FeatureContext& ctx = env.Host().Context();
    const auto next = [&ctx] { return ctx.NextTickSecond(ctx.Now()); };
    const auto at = [](int day, const QTime& time) {
        return SecondOf({kWednesday.addDays(day), time});
    };
    EXPECT_FALSE(next());
    Arm(*v.FixedTimes, "12:00:00", 0, 0);
    Arm(*v.DestineWeeks, "07:00:00", 4, 0); // Thursday
    EXPECT_EQ(next(), at(0, QTime(12, 0)));
    TickAt(env, kWednesday, QTime(12, 0));
    EXPECT_EQ(next(), at(1, QTime(7, 0)));

    for (QCheckBox* counting :
         {v.SystemRunTimes->SystemRunCheckBox, v.EconomizePowers->EconomizePowerCheckBox,
          v.NetStates->NetStateCheckBox}) {
        counting->setChecked(true);
        ASSERT_TRUE(counting->isChecked()) << counting->objectName().toStdString();
        EXPECT_EQ(next(), at(0, QTime(12, 0, 1)));
        counting->setChecked(false);
        EXPECT_EQ(next(), at(1, QTime(7, 0))) << counting->objectName().toStdString();
    }

    // Inside the restricted period the view names the present second, once for the stay.
    Arm(*v.ConfineWeekTimes, 3, 3, "12:00:30", "12:00:40", 0);
    EXPECT_EQ(next(), at(0, QTime(12, 0, 30)));
    const LocalMoment inside{kWednesday, QTime(12, 0, 35, 500)};
    QStringList listed;
    for (const Occurrence& o : ctx.Upcoming(inside, {kWednesday.addDays(7), inside.time}).timed)
        listed << DateText(o.when.date) + u' ' + TimeText(o.when.time) + u' ' + o.what;
    EXPECT_EQ(listed,
              QStringList({"2026/12/09 12:00:35 关机（至 12:00:40）", "2026/12/10 7:00:00 关机"}));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{0});
}

} // namespace

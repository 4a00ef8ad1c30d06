#include "PowerTestSupport.h"

#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"

#include "core/FeatureContext.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

using namespace power_test;

QString N(int n)
{
    return QString::number(n);
}

// One stored key: what a start shows for it (the control and the value in effect) and
// what arming again writes back, both the stored text unless `saved` says otherwise.
struct Key {
    const char* section;
    const char* key;
    const char* stored;
    std::function<QStringList(FeatureView&)> shown;
    const char* saved = nullptr;
};

QStringList Amount(const QLineEdit* edit, const AmountRule& rule)
{
    return {edit->text(), rule.AmountText};
}
QStringList Unit(const QComboBox* list, const AmountRule& rule)
{
    return {N(list->currentIndex()), N(rule.Unit)};
}
QStringList Mode(const QComboBox* list, const AmountRule& rule)
{
    return {N(list->currentIndex()), N(rule.Mode)};
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
         [](V& v) {
             return QStringList{v.FixedTimes->FixedTimeMaskEdit->text(), v.FixedTimes->FixedTime};
         }},
        // Arming counts the days from today: a start on Wednesday 12/09 is due on 12/16.
        {"FixedTimes", "FixedDate", "2020/01/01",
         [](V& v) { return QStringList{v.FixedTimes->FixedDate}; }, "2026/12/16"},
        {"FixedTimes", "FixedShutDown", "4",
         [](V& v) {
             return QStringList{N(v.FixedTimes->FixedShutDownComboBox->currentIndex()),
                                N(v.FixedTimes->FixedMode)};
         }},
        {"FixedTimes", "FixedDay", "7",
         [](V& v) {
             return QStringList{N(v.FixedTimes->FixedDayComboBox->currentIndex()),
                                N(v.FixedTimes->FixedInterval)};
         }},
        {"FixedTimes", "FixedTimeState", "1",
         [](V& v) { return State(v.FixedTimes->FixedTimeCheckBox); }},
        {"DestineWeeks", "DestineWeekTime", "00:00:01",
         [](V& v) {
             return QStringList{v.DestineWeeks->DestineWeekTimeEdit->text(),
                                v.DestineWeeks->DestineWeekTime};
         }},
        {"DestineWeeks", "DestineWeek", "6",
         [](V& v) {
             return QStringList{N(v.DestineWeeks->DestineWeeksComboBox->currentIndex()),
                                N(v.DestineWeeks->DestineWeek)};
         }},
        {"DestineWeeks", "DestineWeekShutDownMode", "4",
         [](V& v) {
             return QStringList{N(v.DestineWeeks->DestineWeekShutDownComboBox->currentIndex()),
                                N(v.DestineWeeks->DestineWeekMode)};
         }},
        {"DestineWeeks", "DestineWeekState", "1",
         [](V& v) { return State(v.DestineWeeks->DestineWeekCheckBox); }},
        {"ConfineWeekTimes", "ConfineWeekUp", "0",
         [](V& v) {
             return QStringList{N(v.ConfineWeekTimes->ConfineWeekComboBox1->currentIndex()),
                                N(v.ConfineWeekTimes->ConfineWeek1)};
         }},
        {"ConfineWeekTimes", "ConfineWeekDown", "6",
         [](V& v) {
             return QStringList{N(v.ConfineWeekTimes->ConfineWeekComboBox2->currentIndex()),
                                N(v.ConfineWeekTimes->ConfineWeek2)};
         }},
        {"ConfineWeekTimes", "ConfineTimeUp", "00:00:01",
         [](V& v) {
             return QStringList{v.ConfineWeekTimes->ConfineTimeMaskEdit1->text(),
                                v.ConfineWeekTimes->ConfineTime1};
         }},
        {"ConfineWeekTimes", "ConfienTimeDown", "23:59:58",
         [](V& v) {
             return QStringList{v.ConfineWeekTimes->ConfineTimeMaskEdit2->text(),
                                v.ConfineWeekTimes->ConfineTime2};
         }},
        {"ConfineWeekTimes", "ConfineWeekShutDownMode", "3",
         [](V& v) {
             return QStringList{N(v.ConfineWeekTimes->ConfineWeekShutDownComboBox->currentIndex()),
                                N(v.ConfineWeekTimes->ConfineMode)};
         }},
        {"ConfineWeekTimes", "ConfineWeekState", "1",
         [](V& v) { return State(v.ConfineWeekTimes->ConfineWeekCheckBox); }},
        {"SystemRunTimes", "SystemRunTime", "99",
         [](V& v) { return Amount(v.SystemRunTimes->SystemRunTimeEdit, v.SystemRunTimes->Rule); }},
        {"SystemRunTimes", "SystemRunTimeSelect", "2",
         [](V& v) { return Unit(v.SystemRunTimes->SystemRunComboBox, v.SystemRunTimes->Rule); }},
        {"SystemRunTimes", "SystemRunShutDownMode", "4",
         [](V& v) {
             return Mode(v.SystemRunTimes->SystemRunShutDownComboBox, v.SystemRunTimes->Rule);
         }},
        {"SystemRunTimes", "SystemRunState", "1",
         [](V& v) { return State(v.SystemRunTimes->SystemRunCheckBox); }},
        {"EconomizePowers", "EconomizePowerTime", "01",
         [](V& v) {
             return Amount(v.EconomizePowers->EconomizePowerMaskEdit, v.EconomizePowers->Rule);
         }},
        {"EconomizePowers", "EconomizePowerTimeSelect", "2",
         [](V& v) {
             return Unit(v.EconomizePowers->EconomizePowerComboBox, v.EconomizePowers->Rule);
         }},
        {"EconomizePowers", "EconomizePowerShutDownMode", "5",
         [](V& v) {
             return Mode(v.EconomizePowers->EconomizePowerShutDownComboBox,
                         v.EconomizePowers->Rule);
         }},
        {"EconomizePowers", "EconomizePowerState", "1",
         [](V& v) { return State(v.EconomizePowers->EconomizePowerCheckBox); }},
        {"NetStates", "NetStateTime", "98",
         [](V& v) { return Amount(v.NetStates->NetStateMaskEdit, v.NetStates->Rule); }},
        {"NetStates", "NetStateTimeSelect", "1",
         [](V& v) { return Unit(v.NetStates->NetStateComboBox, v.NetStates->Rule); }},
        {"NetStates", "NetStateShutDown", "2",
         [](V& v) { return Mode(v.NetStates->NetStateShutDownComboBox, v.NetStates->Rule); }},
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
    FeatureView& view = env.Start(Recipes::PowerRules);
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

    // The next start shows the disarmed rules as they were left.
    FeatureView& again = env.Start(Recipes::PowerRules);
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
    FeatureView& v = env.Start(Recipes::PowerRules);
    FeatureContext& ctx = env.Host().Context();
    const auto next = [&ctx] { return ctx.NextTickSecond(ctx.Now()); };
    const auto at = [](int day, const QTime& time) {
        return SecondOf({kWednesday.addDays(day), time});
    };
    EXPECT_FALSE(next());
    v.FixedTimes->FixedTimeMaskEdit->setText("12:00:00");
    v.FixedTimes->FixedTimeCheckBox->setChecked(true);
    v.DestineWeeks->DestineWeekTimeEdit->setText("07:00:00");
    v.DestineWeeks->DestineWeeksComboBox->setCurrentIndex(4); // Thursday
    v.DestineWeeks->DestineWeekCheckBox->setChecked(true);
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
    ConfineWeekShutdown& period = *v.ConfineWeekTimes;
    period.ConfineWeekComboBox1->setCurrentIndex(3);
    period.ConfineWeekComboBox2->setCurrentIndex(3);
    period.ConfineTimeMaskEdit1->setText("12:00:30");
    period.ConfineTimeMaskEdit2->setText("12:00:40");
    period.ConfineWeekCheckBox->setChecked(true);
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

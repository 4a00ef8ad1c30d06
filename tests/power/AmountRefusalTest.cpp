#include "PowerTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace power_test;

// One duration rule's box and field, its section and what it says to a refused amount.
struct DurationRule {
    const char* name;
    std::function<QCheckBox*(FeatureView&)> box;
    std::function<QLineEdit*(FeatureView&)> field;
    const char* section;
    const char* stateKey;
    const char* message;
    const char* resetText;
    const char* firstStart;
};

const DurationRule kRules[] = {
    {"SystemRun", [](FeatureView& f) { return f.SystemRunTimes->SystemRunCheckBox; },
     [](FeatureView& f) { return f.SystemRunTimes->SystemRunTimeEdit; }, "SystemRunTimes",
     "SystemRunState", "请输入一个有效的两位整数，而不是0", "24", "24"},
    {"EconomizePower", [](FeatureView& f) { return f.EconomizePowers->EconomizePowerCheckBox; },
     [](FeatureView& f) { return f.EconomizePowers->EconomizePowerMaskEdit; }, "EconomizePowers",
     "EconomizePowerState", "请输入一个有效的两位整数，而不是０", "20", "05"},
    {"NetState", [](FeatureView& f) { return f.NetStates->NetStateCheckBox; },
     [](FeatureView& f) { return f.NetStates->NetStateMaskEdit; }, "NetStates", "NetState",
     "请输入有效的两位整数,而不是０", "20", "05"},
};

class AmountRefusal : public ::testing::TestWithParam<std::tuple<int, const char*>> {};

// 00, a single digit and an emptied field are all no amount: the rule is not armed and
// never acts, however long the machine runs, idles or stays offline.
TEST_P(AmountRefusal, LeavesTheRuleOffWithItsMessageAndTheFieldReset)
{
    const DurationRule& rule = kRules[std::get<0>(GetParam())];
    TestEnvironment env;
    env.icmp->answer = FakeIcmpEcho::Answer::TimedOut;
    FeatureView& form = env.Start<Pages::PowerRules>();
    QCheckBox* box = rule.box(form);
    QLineEdit* field = rule.field(form);
    field->setText(std::get<1>(GetParam()));
    box->setChecked(true);

    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(field->isEnabled());
    EXPECT_EQ(field->text(), rule.resetText);
    EXPECT_EQ(env.ui.Texts("message"), QStringList{rule.message});
    EXPECT_NE(Stored(env, rule.section, rule.stateKey), "1");
    EXPECT_EQ(form.NetStates->Worker, nullptr);

    env.systemInfo->uptimeMs = 0xFFFFFFF0u;
    Ticks(env, 200);
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_EQ(env.icmp->probes.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rules, AmountRefusal,
                         ::testing::Combine(::testing::Values(0, 1, 2),
                                            ::testing::Values("00", "5", "")),
                         [](const auto& info) {
                             const char* text = std::get<1>(info.param);
                             return std::string(kRules[std::get<0>(info.param)].name) + "_" +
                                    (*text ? (text[1] ? "Zero" : "OneDigit") : "Empty");
                         });

TEST(PowerRules, FirstStartShowsTheDefaultsAndWritesNothing)
{
    TestEnvironment env;
    FeatureView& form = env.Start<Pages::PowerRules>();
    const ConfineWeekShutdown& period = *form.ConfineWeekTimes;
    EXPECT_EQ(period.ConfineTimeMaskEdit1->text(), "00:00:00");
    EXPECT_EQ(period.ConfineTimeMaskEdit2->text(), "00:00:00");
    EXPECT_EQ(period.ConfineWeekComboBox1->currentText(), "星期日");
    EXPECT_EQ(period.ConfineWeekShutDownComboBox->currentText(), "关机");
    EXPECT_FALSE(period.ConfineWeekCheckBox->isChecked());
    EXPECT_FALSE(env.SettingsText().contains("ConfineWeekTimes"));
    for (const DurationRule& rule : kRules) {
        EXPECT_EQ(rule.field(form)->text(), rule.firstStart) << rule.name;
        EXPECT_FALSE(rule.box(form)->isChecked()) << rule.name;
    }
    EXPECT_EQ(form.SystemRunTimes->SystemRunComboBox->currentText(), "小时");
    EXPECT_EQ(form.SystemRunTimes->SystemRunShutDownComboBox->currentText(), "关机");
    EXPECT_EQ(form.EconomizePowers->EconomizePowerComboBox->currentText(), "分钟");
    EXPECT_EQ(form.EconomizePowers->EconomizePowerShutDownComboBox->currentText(), "休眠");
    EXPECT_EQ(form.NetStates->NetStateComboBox->currentText(), "分钟");
    EXPECT_EQ(form.NetStates->NetStateShutDownComboBox->currentText(), "关机");
}

} // namespace

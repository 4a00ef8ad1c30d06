#include "power/ConfineWeekShutdown.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"
#include "core/Schedule.h"
#include "core/TimeField.h"
#include "core/Weekdays.h"
#include "power/PowerRuleInputs.h"
#include "power/ShutDownComputer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("ConfineWeekTimes");
const QString kConfineWeekUp = QStringLiteral("ConfineWeekUp");
const QString kConfineWeekDown = QStringLiteral("ConfineWeekDown");
const QString kConfineTimeUp = QStringLiteral("ConfineTimeUp");
// Sic: the key has always been spelt this way in users' files.
const QString kConfienTimeDown = QStringLiteral("ConfienTimeDown");
const QString kConfineWeekShutDownMode = QStringLiteral("ConfineWeekShutDownMode");
const QString kConfineWeekState = QStringLiteral("ConfineWeekState");

} // namespace

ConfineWeekShutdown::ConfineWeekShutdown(FeatureContext& ctx) : ctx_(ctx)
{
    using namespace PowerRuleInputs;
    ConfineTimeGroupBox = new QGroupBox(QStringLiteral("限制电脑在某段时间的电源状态"),
                                        ctx.Page(PageId::RegularShutDown));
    ConfineTimeGroupBox->setObjectName(QStringLiteral("ConfineTimeGroupBox"));
    ConfineTimeGroupBox->setToolTip(
        QStringLiteral("您可以限制电脑在某个时段的使用状态,从而防止别人使用此电脑"));

    ConfineWeekComboBox1 = NewComboBox(ConfineTimeGroupBox, QStringLiteral("ConfineWeekComboBox1"),
                                       WeekdayNames(), {});
    ConfineWeekComboBox2 = NewComboBox(ConfineTimeGroupBox, QStringLiteral("ConfineWeekComboBox2"),
                                       WeekdayNames(), {});
    const QString timeTip = QStringLiteral("请设置正确的时间格式,如 11:11:00");
    ConfineTimeMaskEdit1 =
        NewTimeField(ConfineTimeGroupBox, QStringLiteral("ConfineTimeMaskEdit1"), timeTip);
    ConfineTimeMaskEdit2 =
        NewTimeField(ConfineTimeGroupBox, QStringLiteral("ConfineTimeMaskEdit2"), timeTip);
    ConfineTimeMaskEdit2->setText(QStringLiteral("23:00:00"));
    ConfineWeekCheckBox = new QCheckBox(QStringLiteral("启动此模式"), ConfineTimeGroupBox);
    ConfineWeekCheckBox->setObjectName(QStringLiteral("ConfineWeekCheckBox"));
    ConfineWeekShutDownComboBox =
        NewModeComboBox(ConfineTimeGroupBox, QStringLiteral("ConfineWeekShutDownComboBox"),
                        QStringLiteral("设置关机的模式"));

    auto label = [this](const QString& text) { return new QLabel(text, ConfineTimeGroupBox); };
    auto* grid = new QGridLayout(ConfineTimeGroupBox);
    grid->addWidget(label(QStringLiteral("限制日期：")), 0, 0);
    grid->addWidget(ConfineWeekComboBox1, 0, 1);
    grid->addWidget(label(QStringLiteral("<-至->")), 0, 2);
    grid->addWidget(ConfineWeekComboBox2, 0, 3);
    grid->addWidget(ConfineWeekShutDownComboBox, 0, 4);
    grid->addWidget(label(QStringLiteral("限制时间：")), 1, 0);
    grid->addWidget(ConfineTimeMaskEdit1, 1, 1);
    grid->addWidget(label(QStringLiteral("<-至->")), 1, 2);
    grid->addWidget(ConfineTimeMaskEdit2, 1, 3);
    grid->addWidget(ConfineWeekCheckBox, 1, 4);
    grid->setColumnStretch(5, 1);
    ctx.AddToPage(PageId::RegularShutDown, ConfineTimeGroupBox);

    connect(ConfineWeekCheckBox, &QCheckBox::toggled, this, [this] { ConfineWeekCheckBoxClick(); });
    ctx.OnPowerRule(PowerRule::ConfineWeek, [this] { return CheckConfineWeek(); });
    ctx.OnLoad(LoadStep::ConfineWeekTimes, [this] { LoadConfineWeekTimes(); });
    // Every second of a stay is due: the view shows only where the next one starts.
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }, true});
}

void ConfineWeekShutdown::LoadConfineWeekTimes()
{
    SettingsFile& settings = ctx_.Settings();
    PowerRuleInputs::SelectIndex(ConfineWeekComboBox1,
                                 settings.ReadInteger(kSection, kConfineWeekUp, 0));
    PowerRuleInputs::SelectIndex(ConfineWeekComboBox2,
                                 settings.ReadInteger(kSection, kConfineWeekDown, 0));
    SetTimeFieldText(ConfineTimeMaskEdit1,
                     settings.ReadString(kSection, kConfineTimeUp, QStringLiteral("00:00:00")));
    SetTimeFieldText(ConfineTimeMaskEdit2,
                     settings.ReadString(kSection, kConfienTimeDown, QStringLiteral("00:00:00")));
    PowerRuleInputs::SelectIndex(ConfineWeekShutDownComboBox,
                                 settings.ReadInteger(kSection, kConfineWeekShutDownMode, 0));
    ConfineWeekCheckBox->setChecked(settings.ReadBool(kSection, kConfineWeekState, false));
}

void ConfineWeekShutdown::SaveConfineWeekTimes()
{
    SettingsFile& settings = ctx_.Settings();
    settings.WriteInteger(kSection, kConfineWeekUp, ConfineWeek1);
    settings.WriteInteger(kSection, kConfineWeekDown, ConfineWeek2);
    settings.WriteString(kSection, kConfineTimeUp, ConfineTime1);
    settings.WriteString(kSection, kConfienTimeDown, ConfineTime2);
    settings.WriteInteger(kSection, kConfineWeekShutDownMode, ConfineMode);
    settings.WriteBool(kSection, kConfineWeekState, ConfineWeekCheckBox->isChecked());
}

void ConfineWeekShutdown::ConfineWeekCheckBoxClick()
{
    ctx_.Guard([this] {
        const bool armed = ConfineWeekCheckBox->isChecked();
        if (armed) {
            ConfineWeek1 = ConfineWeekComboBox1->currentIndex();
            ConfineWeek2 = ConfineWeekComboBox2->currentIndex();
            ConfineTime1 = ConfineTimeMaskEdit1->text();
            ConfineTime2 = ConfineTimeMaskEdit2->text();
            ConfineMode = ConfineWeekShutDownComboBox->currentIndex();
            from_ = ParseTime(ConfineTime1);
            to_ = ParseTime(ConfineTime2);
            skippedStay_ = false;
        } else {
            ctx_.Power().DropDisarmed(PowerRule::ConfineWeek);
        }
        ctx_.Replan();
        // Inputs first: a refused write below must not leave a cleared rule locked.
        for (QWidget* input : {static_cast<QWidget*>(ConfineWeekComboBox1),
                               static_cast<QWidget*>(ConfineWeekComboBox2),
                               static_cast<QWidget*>(ConfineTimeMaskEdit1),
                               static_cast<QWidget*>(ConfineTimeMaskEdit2),
                               static_cast<QWidget*>(ConfineWeekShutDownComboBox)})
            input->setEnabled(!armed);
        if (armed)
            SaveConfineWeekTimes();
        else
            ctx_.Settings().WriteBool(kSection, kConfineWeekState, false);
    });
}

bool ConfineWeekShutdown::CheckConfineWeek()
{
    if (!ConfineWeekCheckBox->isChecked() || !from_ || !to_)
        return true;
    const LocalMoment now = ctx_.Now();
    if (!ctx_.Due(schedule_, now))
        return true;
    // The current time keeps its milliseconds: 23:00:00.500 is past an end of 23:00:00.
    if (!Between(now.time, *from_, *to_))
        return true;
    // The seconds left of a stay whose warning was let go are never due: this is a new one.
    skippedStay_ = false;
    // A warning let go leaves the rest of this stay in the period alone.
    return ctx_.Power().Ask(PowerRule::ConfineWeek, PowerModeAt(ConfineMode), [this] {
        skippedStay_ = true;
        ctx_.Replan();
    }) != PowerAnswer::Failed;
}

bool ConfineWeekShutdown::Inside(qint64 second) const
{
    const qint64 day = second / 86400;
    const int time = int(second - day * 86400);
    return Between(WeekdayOf(QDate::fromJulianDay(day)), ConfineWeek1, ConfineWeek2) &&
           Between(time, from_->msecsSinceStartOfDay() / 1000, to_->msecsSinceStartOfDay() / 1000);
}

std::optional<Occurrence> ConfineWeekShutdown::NextDue(const LocalMoment& after) const
{
    if (!ConfineWeekCheckBox->isChecked() || !from_ || !to_)
        return std::nullopt;
    const QTime last = std::max(*from_, *to_);
    const int start = std::min(*from_, *to_).msecsSinceStartOfDay() / 1000;
    const int end = last.msecsSinceStartOfDay() / 1000;
    qint64 second = SecondOf(after);
    if (skippedStay_ && Inside(second)) {
        // A stay runs on past midnight only when the period holds whole days.
        qint64 day = second / 86400;
        for (int days = 0; start == 0 && end == 86399 && Inside((day + 1) * 86400); ++days) {
            if (days == 7)
                return std::nullopt; // the whole week: the stay never ends
            ++day;
        }
        second = day * 86400 + end + 1;
    }
    std::optional<qint64> at;
    if (Inside(second))
        at = second;
    for (int days = 0; !at && days <= 7; ++days) {
        const qint64 begin = (second / 86400 + days) * 86400 + start;
        if (begin >= second && Inside(begin))
            at = begin;
    }
    if (!at)
        return std::nullopt;
    return Occurrence{Occurrences::MomentAt(*at), QStringLiteral("限制时段"),
                      ShutDownComputer::ModeName(ConfineMode) +
                          QStringLiteral("（至 %1）").arg(TimeText(last)),
                      PowerModeAt(ConfineMode)};
}

#include "power/DestineWeekShutdown.h"

#include "core/FeatureContext.h"
#include "core/Schedule.h"
#include "core/TimeField.h"
#include "core/Weekdays.h"
#include "power/PowerRuleInputs.h"
#include "power/ShutDownComputer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("DestineWeeks");
const QString kDestineWeekTime = QStringLiteral("DestineWeekTime");
const QString kDestineWeek = QStringLiteral("DestineWeek");
const QString kDestineWeekShutDownMode = QStringLiteral("DestineWeekShutDownMode");
const QString kDestineWeekState = QStringLiteral("DestineWeekState");

} // namespace

DestineWeekShutdown::DestineWeekShutdown(FeatureContext& ctx) : ctx_(ctx)
{
    using namespace PowerRuleInputs;
    DestineWeekGroupBox = new QGroupBox(ctx.Page(PageId::RegularShutDown));
    DestineWeekGroupBox->setObjectName(QStringLiteral("DestineWeekGroupBox"));
    auto* row = new QHBoxLayout(DestineWeekGroupBox);

    DestineWeekCheckBox = new QCheckBox(QStringLiteral("指定星期"), DestineWeekGroupBox);
    DestineWeekCheckBox->setObjectName(QStringLiteral("DestineWeekCheckBox"));
    DestineWeekCheckBox->setMouseTracking(true);
    DestineWeekCheckBox->installEventFilter(this);
    DestineWeekTimeEdit = NewTimeField(DestineWeekGroupBox, QStringLiteral("DestineWeekTimeEdit"),
                                       QStringLiteral("请设置正确的时间格式,如 11:11:00"));
    DestineWeeksComboBox = NewComboBox(DestineWeekGroupBox, QStringLiteral("DestineWeeksComboBox"),
                                       WeekdayNames(), QStringLiteral("请设置关机星期"));
    DestineWeekShutDownComboBox =
        NewModeComboBox(DestineWeekGroupBox, QStringLiteral("DestineWeekShutDownComboBox"),
                        QStringLiteral("设置关机的模式"));

    row->addWidget(DestineWeekCheckBox);
    row->addWidget(DestineWeekTimeEdit);
    row->addWidget(DestineWeeksComboBox);
    row->addWidget(DestineWeekShutDownComboBox);
    row->addStretch();
    ctx.AddToPage(PageId::RegularShutDown, DestineWeekGroupBox);

    connect(DestineWeekCheckBox, &QCheckBox::toggled, this, [this] { DestineWeekCheckBoxClick(); });
    ctx.OnPowerRule(PowerRule::DestineWeek, [this] { return CheckDestineWeek(); });
    ctx.OnLoad(LoadStep::DestineWeeks, [this] { LoadDestineWeeks(); });
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }});
    // The check reads the weekday from the list itself.
    connect(DestineWeeksComboBox, &QComboBox::currentIndexChanged, this, [this] {
        if (DestineWeekCheckBox->isChecked())
            ctx_.Replan();
    });
}

void DestineWeekShutdown::LoadDestineWeeks()
{
    SettingsFile& settings = ctx_.Settings();
    SetTimeFieldText(DestineWeekTimeEdit,
                     settings.ReadString(kSection, kDestineWeekTime, QStringLiteral("00:00:00")));
    PowerRuleInputs::SelectIndex(DestineWeeksComboBox,
                                 settings.ReadInteger(kSection, kDestineWeek, 0));
    PowerRuleInputs::SelectIndex(DestineWeekShutDownComboBox,
                                 settings.ReadInteger(kSection, kDestineWeekShutDownMode, 0));
    DestineWeekCheckBox->setChecked(settings.ReadBool(kSection, kDestineWeekState, false));
}

void DestineWeekShutdown::SaveDestineWeeks()
{
    SettingsFile& settings = ctx_.Settings();
    settings.WriteString(kSection, kDestineWeekTime, DestineWeekTime);
    settings.WriteInteger(kSection, kDestineWeek, DestineWeek);
    settings.WriteInteger(kSection, kDestineWeekShutDownMode, DestineWeekMode);
    settings.WriteBool(kSection, kDestineWeekState, DestineWeekCheckBox->isChecked());
}

void DestineWeekShutdown::DestineWeekCheckBoxClick()
{
    ctx_.Guard([this] {
        const bool armed = DestineWeekCheckBox->isChecked();
        if (armed) {
            DestineWeekTime = DestineWeekTimeEdit->text();
            DestineWeek = DestineWeeksComboBox->currentIndex();
            DestineWeekMode = DestineWeekShutDownComboBox->currentIndex();
            dueTime_ = ParseTime(DestineWeekTime);
        } else {
            ctx_.Power().DropDisarmed(PowerRule::DestineWeek);
        }
        ctx_.Replan();
        // Inputs first: a refused write below must not leave a cleared rule locked.
        DestineWeekTimeEdit->setEnabled(!armed);
        DestineWeeksComboBox->setEnabled(!armed);
        DestineWeekShutDownComboBox->setEnabled(!armed);
        if (armed)
            SaveDestineWeeks();
        else
            ctx_.Settings().WriteBool(kSection, kDestineWeekState, false);
    });
}

void DestineWeekShutdown::DestineWeekCheckBoxMouseMove()
{
    DestineWeekCheckBox->setToolTip(DestineWeekCheckBox->isChecked()
                                        ? QStringLiteral("关机星期为 :") +
                                              DestineWeeksComboBox->itemText(DestineWeek) + u' ' +
                                              DestineWeekTime
                                        : QStringLiteral("您没有设置此项功能"));
}

bool DestineWeekShutdown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DestineWeekCheckBox &&
        (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove ||
         event->type() == QEvent::ToolTip))
        DestineWeekCheckBoxMouseMove();
    return QObject::eventFilter(watched, event);
}

bool DestineWeekShutdown::CheckDestineWeek()
{
    if (!DestineWeekCheckBox->isChecked() || !dueTime_)
        return true;
    if (!ctx_.Due(schedule_, ctx_.Now()))
        return true;
    return ctx_.Power().Ask(PowerRule::DestineWeek, PowerModeAt(DestineWeekMode)) !=
           PowerAnswer::Failed;
}

std::optional<Occurrence> DestineWeekShutdown::NextDue(const LocalMoment& after) const
{
    if (!DestineWeekCheckBox->isChecked() || !dueTime_)
        return std::nullopt;
    const int weekday = DestineWeeksComboBox->currentIndex();
    // Today's time may have passed: the same weekday a week on is the eighth day.
    for (int day = 0; day <= 7; ++day) {
        const LocalMoment at{after.date.addDays(day), *dueTime_};
        if (WeekdayOf(at.date) == weekday && SecondOf(at) >= SecondOf(after))
            return Occurrence{at, DestineWeekCheckBox->text(),
                              ShutDownComputer::ModeName(DestineWeekMode),
                              PowerModeAt(DestineWeekMode)};
    }
    return std::nullopt;
}

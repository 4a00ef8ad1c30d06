#include "power/DestineWeekShutdown.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"
#include "core/OncePerSecond.h"
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
    ctx.OnPowerRule(TickCheck::CheckDestineWeek, [this] { return CheckDestineWeek(); });
    ctx.OnLoad(LoadStep::DestineWeeks, [this] { LoadDestineWeeks(); });
    ctx.OnUpcoming([this](const LocalMoment& from, const LocalMoment& to, UpcomingList& out) {
        ListUpcoming(from, to, out);
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
            fired_.Reset();
        } else {
            ctx_.Power().DropDisarmed(PowerRule::DestineWeek);
        }
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
    const LocalMoment now = ctx_.Now();
    if (WeekdayOf(now.date) != DestineWeeksComboBox->currentIndex() ||
        !SameSecond(*dueTime_, now.time))
        return true;
    if (!fired_.First(now))
        return true;
    return ctx_.Power().Ask(PowerRule::DestineWeek, PowerModeAt(DestineWeekMode)) !=
           PowerAnswer::Failed;
}

void DestineWeekShutdown::ListUpcoming(const LocalMoment& from, const LocalMoment& to,
                                       UpcomingList& out) const
{
    if (!DestineWeekCheckBox->isChecked() || !dueTime_)
        return;
    const int weekday = DestineWeeksComboBox->currentIndex();
    for (const LocalMoment& at : Occurrences::Daily(
             from, to, *dueTime_, [&](const QDate& day) { return WeekdayOf(day) == weekday; }))
        out.timed.push_back({at, DestineWeekCheckBox->text(),
                             ShutDownComputer::ModeName(DestineWeekMode), DestineWeekMode});
}

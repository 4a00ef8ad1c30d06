#include "power/FixedTimeShutdown.h"

#include "core/FeatureContext.h"
#include "core/Schedule.h"
#include "core/TimeField.h"
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

const QString kSection = QStringLiteral("FixedTimes");
const QString kFixedTime = QStringLiteral("FixedTime");
const QString kFixedDate = QStringLiteral("FixedDate");
const QString kFixedShutDown = QStringLiteral("FixedShutDown");
const QString kFixedTimeState = QStringLiteral("FixedTimeState");
const QString kFixedDay = QStringLiteral("FixedDay");

} // namespace

FixedTimeShutdown::FixedTimeShutdown(FeatureContext& ctx) : ctx_(ctx)
{
    using namespace PowerRuleInputs;
    FixedTimeGroupBox = new QGroupBox(ctx.Page(PageId::RegularShutDown));
    FixedTimeGroupBox->setObjectName(QStringLiteral("FixedTimeGroupBox"));
    auto* row = new QHBoxLayout(FixedTimeGroupBox);

    FixedTimeCheckBox = new QCheckBox(QStringLiteral("固定时间"), FixedTimeGroupBox);
    FixedTimeCheckBox->setObjectName(QStringLiteral("FixedTimeCheckBox"));
    FixedTimeCheckBox->setMouseTracking(true);
    FixedTimeCheckBox->installEventFilter(this);
    FixedTimeMaskEdit = NewTimeField(FixedTimeGroupBox, QStringLiteral("FixedTimeMaskEdit"),
                                     QStringLiteral("请设置正确的时间格式,如　12:12:00"));
    FixedDayComboBox = NewComboBox(FixedTimeGroupBox, QStringLiteral("FixedDayComboBox"),
                                   {QStringLiteral("每天"), QStringLiteral("每隔１天"),
                                    QStringLiteral("每隔２天"), QStringLiteral("每隔３天"),
                                    QStringLiteral("每隔４天"), QStringLiteral("每隔５天"),
                                    QStringLiteral("每隔６天"), QStringLiteral("每隔７天")},
                                   QStringLiteral("可以设置间隔天数"));
    FixedShutDownComboBox =
        NewModeComboBox(FixedTimeGroupBox, QStringLiteral("FixedShutDownComboBox"),
                        QStringLiteral("设置关机的模式"));

    row->addWidget(FixedTimeCheckBox);
    row->addWidget(FixedTimeMaskEdit);
    row->addWidget(FixedDayComboBox);
    row->addWidget(FixedShutDownComboBox);
    row->addStretch();
    ctx.AddToPage(PageId::RegularShutDown, FixedTimeGroupBox);

    connect(FixedTimeCheckBox, &QCheckBox::toggled, this, [this] { FixedTimeCheckBoxClick(); });
    ctx.OnPowerRule(PowerRule::FixedTime, [this] { return CheckFixedTime(); });
    ctx.OnLoad(LoadStep::FixedTimes, [this] { LoadFixedTimes(); });
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }});
}

void FixedTimeShutdown::LoadFixedTimes()
{
    SettingsFile& settings = ctx_.Settings();
    SetTimeFieldText(FixedTimeMaskEdit,
                     settings.ReadString(kSection, kFixedTime, QStringLiteral("00:00:00")));
    FixedDate = settings.ReadString(kSection, kFixedDate, DateText(ctx_.Now().date));
    PowerRuleInputs::SelectIndex(FixedShutDownComboBox,
                                 settings.ReadInteger(kSection, kFixedShutDown, 0));
    PowerRuleInputs::SelectIndex(FixedDayComboBox, settings.ReadInteger(kSection, kFixedDay, 0));
    // Last: a stored true arms the rule afresh, counting the days from today.
    FixedTimeCheckBox->setChecked(settings.ReadBool(kSection, kFixedTimeState, false));
}

void FixedTimeShutdown::SaveFixedTimes()
{
    SettingsFile& settings = ctx_.Settings();
    settings.WriteString(kSection, kFixedTime, FixedTime);
    settings.WriteString(kSection, kFixedDate, FixedDate);
    settings.WriteInteger(kSection, kFixedShutDown, FixedMode);
    settings.WriteBool(kSection, kFixedTimeState, FixedTimeCheckBox->isChecked());
    settings.WriteInteger(kSection, kFixedDay, FixedInterval);
}

void FixedTimeShutdown::FixedTimeCheckBoxClick()
{
    ctx_.Guard([this] {
        const bool armed = FixedTimeCheckBox->isChecked();
        if (armed) {
            FixedTime = FixedTimeMaskEdit->text();
            FixedInterval = FixedDayComboBox->currentIndex();
            dueDate_ = ctx_.Now().date.addDays(FixedInterval);
            FixedDate = DateText(dueDate_);
            FixedMode = FixedShutDownComboBox->currentIndex();
            dueTime_ = ParseTime(FixedTime);
            spent_ = false;
        } else {
            ctx_.Power().DropDisarmed(PowerRule::FixedTime);
        }
        ctx_.Replan();
        // Inputs first: a refused write below must not leave a cleared rule locked.
        FixedTimeMaskEdit->setEnabled(!armed);
        FixedDayComboBox->setEnabled(!armed);
        FixedShutDownComboBox->setEnabled(!armed);
        if (armed)
            SaveFixedTimes();
        else
            ctx_.Settings().WriteBool(kSection, kFixedTimeState, false);
    });
}

void FixedTimeShutdown::FixedTimeCheckBoxMouseMove()
{
    FixedTimeCheckBox->setToolTip(FixedTimeCheckBox->isChecked()
                                      ? QStringLiteral("关机日期为: ") + FixedDate + u' ' +
                                            FixedTime
                                      : QStringLiteral("您没有设置此项功能"));
}

bool FixedTimeShutdown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FixedTimeCheckBox &&
        (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove ||
         event->type() == QEvent::ToolTip))
        FixedTimeCheckBoxMouseMove();
    return QObject::eventFilter(watched, event);
}

bool FixedTimeShutdown::CheckFixedTime()
{
    if (!FixedTimeCheckBox->isChecked() || spent_ || !dueTime_)
        return true;
    const LocalMoment now = ctx_.Now();
    if (!ctx_.Due(schedule_, now))
        return true;
    // No re-planning: the answer after this second, asked by Due(), is already none, and
    // re-planning here would let a nested tick in this second fire the others again.
    spent_ = true;
    // The action goes first: an unwritable settings file must neither cancel it nor hold
    // it behind an error box. The date only tells the next start what was planned, and
    // that start arms the rule afresh anyway.
    const bool done =
        ctx_.Power().Ask(PowerRule::FixedTime, PowerModeAt(FixedMode)) != PowerAnswer::Failed;
    ctx_.Guard([&] {
        ctx_.Settings().WriteString(kSection, kFixedDate,
                                    DateText(now.date.addDays(FixedDayComboBox->currentIndex())));
    });
    return done;
}

std::optional<Occurrence> FixedTimeShutdown::NextDue(const LocalMoment& after) const
{
    if (!FixedTimeCheckBox->isChecked() || spent_ || !dueTime_)
        return std::nullopt;
    const LocalMoment at{dueDate_, *dueTime_};
    if (SecondOf(at) < SecondOf(after))
        return std::nullopt;
    return Occurrence{at, FixedTimeCheckBox->text(), ShutDownComputer::ModeName(FixedMode),
                      PowerModeAt(FixedMode)};
}

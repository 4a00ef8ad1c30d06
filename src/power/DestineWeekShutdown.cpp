#include "power/DestineWeekShutdown.h"

#include "app/Main.h"
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

DestineWeekShutdown::DestineWeekShutdown(TMainForm& form) : form_(form)
{
    using namespace PowerRuleInputs;
    DestineWeekGroupBox = new QGroupBox(form.RegularShutDown);
    DestineWeekGroupBox->setObjectName(QStringLiteral("DestineWeekGroupBox"));
    auto* row = new QHBoxLayout(DestineWeekGroupBox);

    DestineWeekCheckBox = new QCheckBox(QStringLiteral("指定星期"), DestineWeekGroupBox);
    DestineWeekCheckBox->setObjectName(QStringLiteral("DestineWeekCheckBox"));
    DestineWeekCheckBox->setMouseTracking(true);
    DestineWeekCheckBox->installEventFilter(this);
    DestineWeekTimeEdit = NewTimeEdit(DestineWeekGroupBox, QStringLiteral("DestineWeekTimeEdit"),
                                      QStringLiteral("请设置正确的时间格式,如 11:11:00"));
    DestineWeeksComboBox =
        NewComboBox(DestineWeekGroupBox, QStringLiteral("DestineWeeksComboBox"),
                    {QStringLiteral("星期日"), QStringLiteral("星期一"), QStringLiteral("星期二"),
                     QStringLiteral("星期三"), QStringLiteral("星期四"), QStringLiteral("星期五"),
                     QStringLiteral("星期六")},
                    QStringLiteral("请设置关机星期"));
    DestineWeekShutDownComboBox =
        NewModeComboBox(DestineWeekGroupBox, QStringLiteral("DestineWeekShutDownComboBox"),
                        QStringLiteral("设置关机的模式"));

    row->addWidget(DestineWeekCheckBox);
    row->addWidget(DestineWeekTimeEdit);
    row->addWidget(DestineWeeksComboBox);
    row->addWidget(DestineWeekShutDownComboBox);
    row->addStretch();
    // Second on the page, right under the fixed-time rule.
    QVBoxLayout* page = TMainForm::PageLayout(form.RegularShutDown);
    const int fixedTime = page->indexOf(form.RegularShutDown->findChild<QGroupBox*>(
        QStringLiteral("FixedTimeGroupBox"), Qt::FindDirectChildrenOnly));
    page->insertWidget(fixedTime + 1, DestineWeekGroupBox);

    connect(DestineWeekCheckBox, &QCheckBox::toggled, this, [this] { DestineWeekCheckBoxClick(); });
    form.Tick().SetPowerRule(TickCheck::CheckDestineWeek, [this] { return CheckDestineWeek(); });
}

void DestineWeekShutdown::LoadDestineWeeks()
{
    SettingsFile& settings = *form_.Settings;
    PowerRuleInputs::SetTimeText(
        DestineWeekTimeEdit,
        settings.ReadString(kSection, kDestineWeekTime, QStringLiteral("00:00:00")));
    PowerRuleInputs::SelectIndex(DestineWeeksComboBox,
                                 settings.ReadInteger(kSection, kDestineWeek, 0));
    PowerRuleInputs::SelectIndex(DestineWeekShutDownComboBox,
                                 settings.ReadInteger(kSection, kDestineWeekShutDownMode, 0));
    DestineWeekCheckBox->setChecked(settings.ReadBool(kSection, kDestineWeekState, false));
}

void DestineWeekShutdown::SaveDestineWeeks()
{
    SettingsFile& settings = *form_.Settings;
    settings.WriteString(kSection, kDestineWeekTime, DestineWeekTime);
    settings.WriteInteger(kSection, kDestineWeek, DestineWeek);
    settings.WriteInteger(kSection, kDestineWeekShutDownMode, DestineWeekMode);
    settings.WriteBool(kSection, kDestineWeekState, DestineWeekCheckBox->isChecked());
}

void DestineWeekShutdown::DestineWeekCheckBoxClick()
{
    form_.Guard([this] {
        const bool armed = DestineWeekCheckBox->isChecked();
        if (armed) {
            DestineWeekTime = DestineWeekTimeEdit->text();
            DestineWeek = DestineWeeksComboBox->currentIndex();
            DestineWeekMode = DestineWeekShutDownComboBox->currentIndex();
            dueTime_ = ParseTime(DestineWeekTime);
            firedDate_ = QDate();
        }
        // Inputs first: a refused write below must not leave a cleared rule locked.
        DestineWeekTimeEdit->setEnabled(!armed);
        DestineWeeksComboBox->setEnabled(!armed);
        DestineWeekShutDownComboBox->setEnabled(!armed);
        if (armed)
            SaveDestineWeeks();
        else
            form_.Settings->WriteBool(kSection, kDestineWeekState, false);
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
    const LocalMoment now = form_.Now();
    if (WeekdayOf(now.date) != DestineWeeksComboBox->currentIndex() ||
        !PowerRuleInputs::SameSecond(*dueTime_, now.time))
        return true;
    if (now.date == firedDate_ && PowerRuleInputs::SameSecond(firedTime_, now.time))
        return true;
    firedDate_ = now.date;
    firedTime_ = now.time;
    return form_.ShutDown->RunPowerMode(DestineWeekMode);
}

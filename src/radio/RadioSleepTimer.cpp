#include "radio/RadioSleepTimer.h"

#include "core/Occurrences.h"
#include "core/Schedule.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimeEdit>

RadioSleepTimer::RadioSleepTimer(QWidget* parent, QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("定时停止:"), parent);
    row->addWidget(caption);
    SleepTimerComboBox = new QComboBox(parent);
    SleepTimerComboBox->setObjectName(QStringLiteral("SleepTimerComboBox"));
    SleepTimerComboBox->addItem(QStringLiteral("不定时"));
    for (const int minutes : kMinutes)
        SleepTimerComboBox->addItem(QStringLiteral("%1 分钟后").arg(minutes));
    SleepTimerComboBox->addItem(QStringLiteral("到指定时间"));
    row->addWidget(SleepTimerComboBox);
    SleepTimeEdit = new QTimeEdit(QTime(23, 0), parent);
    SleepTimeEdit->setObjectName(QStringLiteral("SleepTimeEdit"));
    SleepTimeEdit->setDisplayFormat(QStringLiteral("HH:mm"));
    SleepTimeEdit->setEnabled(false);
    row->addWidget(SleepTimeEdit);
    row->addStretch();
    layout->addLayout(row);
    SleepTimerLabel = new QLabel(parent);
    SleepTimerLabel->setObjectName(QStringLiteral("SleepTimerLabel"));
    SleepTimerLabel->hide(); // no empty line under the choice while no timer runs
    layout->addWidget(SleepTimerLabel);

    QObject::connect(SleepTimerComboBox, &QComboBox::currentIndexChanged, parent,
                     [this] { ArmFromControls(); });
    QObject::connect(SleepTimeEdit, &QTimeEdit::timeChanged, parent, [this] {
        if (SleepTimerComboBox->currentIndex() == TimeOfDayIndex())
            ArmFromControls();
    });
}

std::optional<Occurrence> RadioSleepTimer::NextDue(const LocalMoment& after) const
{
    if (!deadline_ || *deadline_ < SecondOf(after))
        return std::nullopt;
    return Occurrence{Occurrences::MomentAt(*deadline_), QStringLiteral("网络电台"),
                      QStringLiteral("定时停止播放")};
}

std::optional<qint64> RadioSleepTimer::Remaining() const
{
    if (!deadline_ || !Now)
        return std::nullopt;
    return *deadline_ - SecondOf(Now());
}

void RadioSleepTimer::ArmFromControls()
{
    const int choice = SleepTimerComboBox->currentIndex();
    SleepTimeEdit->setEnabled(choice == TimeOfDayIndex());
    if (choice <= 0 || !Now) {
        Cancel();
        return;
    }
    const LocalMoment now = Now();
    const qint64 second = SecondOf(now);
    qint64 deadline = 0;
    if (choice == TimeOfDayIndex()) {
        const QTime at = SleepTimeEdit->time();
        deadline = SecondOf({now.date, QTime(at.hour(), at.minute())});
        // A time already past today means that time tomorrow.
        if (deadline <= second)
            deadline += 86400;
    } else {
        deadline = second + qint64(kMinutes[choice - 1]) * 60;
    }
    // A new end during the fade starts at the full volume again.
    if (fading_ && Fade)
        Fade(100);
    fading_ = false;
    deadline_ = deadline;
    const qint64 days = deadline / 86400 - second / 86400;
    deadlineText_ = (days > 0 ? QStringLiteral("明天 ") : QString()) +
                    TimeText(QTime::fromMSecsSinceStartOfDay(int(deadline % 86400) * 1000));
    ShowRemaining(deadline - second);
    if (Changed)
        Changed();
}

void RadioSleepTimer::Cancel()
{
    const bool wasFading = fading_;
    deadline_.reset();
    fading_ = false;
    {
        const QSignalBlocker block(SleepTimerComboBox);
        SleepTimerComboBox->setCurrentIndex(0);
    }
    SleepTimeEdit->setEnabled(false);
    SleepTimerLabel->clear();
    SleepTimerLabel->hide();
    if (wasFading && Fade)
        Fade(100);
    if (Changed)
        Changed();
}

void RadioSleepTimer::Check()
{
    if (!deadline_)
        return;
    const qint64 left = *deadline_ - SecondOf(Now());
    if (left <= 0) {
        // Disarmed first: stopping the radio cancels the timer, which must not fade back up.
        fading_ = false;
        Cancel();
        if (Expired)
            Expired();
        return;
    }
    if (left <= kFadeSeconds) {
        fading_ = true;
        if (Fade)
            Fade(int(left * 100 / kFadeSeconds));
    } else if (fading_) {
        // The clock was set back out of the fade.
        fading_ = false;
        if (Fade)
            Fade(100);
    }
    ShowRemaining(left);
}

void RadioSleepTimer::ShowRemaining(qint64 left)
{
    const qint64 h = left / 3600;
    const qint64 m = left / 60 % 60;
    const qint64 s = left % 60;
    const QString rest = h > 0 ? QStringLiteral("%1:%2:%3")
                                     .arg(h)
                                     .arg(m, 2, 10, QLatin1Char('0'))
                                     .arg(s, 2, 10, QLatin1Char('0'))
                               : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    const QString text = QStringLiteral("将于 %1 停止播放，还剩 %2").arg(deadlineText_, rest);
    if (SleepTimerLabel->text() != text)
        SleepTimerLabel->setText(text);
    if (SleepTimerLabel->isHidden())
        SleepTimerLabel->show();
}

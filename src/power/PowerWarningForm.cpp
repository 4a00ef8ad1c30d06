#include "power/PowerWarningForm.h"

#include "ui/AppTitle.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

PowerWarningForm::PowerWarningForm()
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("PowerWarningForm"));
    setWindowTitle(AppTitle());
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The skin's window colour and a rim, so that it stands out over any other window.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral(
        "QWidget#PowerWarningForm { background: #eef3f8; border: 2px solid #2f79b9; }"));

    CountdownLabel = new QLabel(this);
    CountdownLabel->setObjectName(QStringLiteral("CountdownLabel"));
    CountdownLabel->setAlignment(Qt::AlignCenter);
    // The skin sets one font for every widget: the size is given in the sheet too.
    CountdownLabel->setStyleSheet(
        QStringLiteral("font-size: 22px; font-weight: bold; color: #b0302a;"));
    RuleLabel = new QLabel(this);
    RuleLabel->setObjectName(QStringLiteral("RuleLabel"));
    RuleLabel->setAlignment(Qt::AlignCenter);

    ActNowButton = new QPushButton(QStringLiteral("立即执行"), this);
    ActNowButton->setObjectName(QStringLiteral("ActNowButton"));
    SkipOnceButton = new QPushButton(QStringLiteral("取消本次"), this);
    SkipOnceButton->setObjectName(QStringLiteral("SkipOnceButton"));
    // Enter must not switch the machine off by accident.
    SkipOnceButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ActNowButton);
    buttons->addWidget(SkipOnceButton);
    buttons->addStretch();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 20, 24, 16);
    column->setSpacing(12);
    column->addWidget(CountdownLabel);
    column->addWidget(RuleLabel);
    column->addLayout(buttons);
    // Wide enough for "3600 秒后将关闭屏幕" at the sheet's size, so it never grows as it counts.
    setMinimumWidth(360);

    connect(ActNowButton, &QPushButton::clicked, this, [this] {
        if (OnActNow)
            OnActNow();
    });
    connect(SkipOnceButton, &QPushButton::clicked, this, [this] {
        if (OnSkip)
            OnSkip();
    });
}

void PowerWarningForm::SetText(const QString& countdown, const QString& rule)
{
    CountdownLabel->setText(countdown);
    RuleLabel->setText(rule);
}

void PowerWarningForm::Dismiss()
{
    counting_ = false;
    hide();
}

void PowerWarningForm::ShowOnTop()
{
    counting_ = true;
    // Asked from inside a close (the next countdown after this one was closed): the
    // window is hidden once that close ends, and shown again after it.
    if (closing_)
        return;
    adjustSize();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void PowerWarningForm::closeEvent(QCloseEvent* event)
{
    // Accepted always: an ignored close would also hold up the program's own exit.
    event->accept();
    if (!counting_)
        return;
    closing_ = true;
    if (OnSkip)
        OnSkip();
    closing_ = false;
    // Refused (the password lock), or the next countdown: this close must not hide it.
    if (counting_)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (counting_ && isHidden())
                    ShowOnTop();
            },
            Qt::QueuedConnection);
}

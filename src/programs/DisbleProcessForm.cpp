#include "programs/DisbleProcessForm.h"

#include "core/FeatureContext.h"
#include "core/TimeField.h"
#include "core/Weekdays.h"
#include "programs/DisbleProcesses.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TDisbleProcessForm::TDisbleProcessForm(FeatureContext& ctx, DisbleProcesses& list)
    : QWidget(ctx.Window(), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint),
      ctx_(ctx), list_(list)
{
    setObjectName(QStringLiteral("DisbleProcessForm"));
    setWindowTitle(QStringLiteral("添加要禁止使用的程序"));

    auto* outer = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("设定要禁止的使用的程序"), this);
    auto* grid = new QGridLayout(group);

    DisbleProcessEdit = new QLineEdit(group);
    DisbleProcessEdit->setObjectName(QStringLiteral("DisbleProcessEdit"));
    DisbleProcessEdit->setToolTip(
        QStringLiteral("要禁止的程序窗口的标题，与标题栏上的文字完全一样"));
    grid->addWidget(new QLabel(QStringLiteral("禁止使用程序的名称:"), group), 0, 0);
    grid->addWidget(DisbleProcessEdit, 0, 1, 1, 3);

    const auto weekBox = [&](const char* name) {
        auto* box = new QComboBox(group);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(true);
        box->addItems(WeekdayNames());
        box->setCurrentIndex(0);
        return box;
    };
    DisbleProcessWeekUpComboBox = weekBox("DisbleProcessWeekUpComboBox");
    DisbleProcessWeekDownComboBox = weekBox("DisbleProcessWeekDownComboBox");
    grid->addWidget(new QLabel(QStringLiteral("请选择禁止使用的星期："), group), 1, 0);
    grid->addWidget(DisbleProcessWeekUpComboBox, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("<-至->"), group), 1, 2);
    grid->addWidget(DisbleProcessWeekDownComboBox, 1, 3);

    DisbleProcessTimeUpMaskEdit =
        NewTimeField(group, QStringLiteral("DisbleProcessTimeUpMaskEdit"), QString());
    DisbleProcessTimeDownMaskEdit =
        NewTimeField(group, QStringLiteral("DisbleProcessTimeDownMaskEdit"), QString());
    grid->addWidget(new QLabel(QStringLiteral("请选择禁止使用的时间段："), group), 2, 0);
    grid->addWidget(DisbleProcessTimeUpMaskEdit, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("<-至->"), group), 2, 2);
    grid->addWidget(DisbleProcessTimeDownMaskEdit, 2, 3);
    outer->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AdddisbleProcessButton = new QPushButton(QStringLiteral("添加"), this);
    AdddisbleProcessButton->setObjectName(QStringLiteral("AdddisbleProcessButton"));
    CloseButton = new QPushButton(QStringLiteral("关闭"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    buttons->addWidget(AdddisbleProcessButton);
    buttons->addWidget(CloseButton);
    outer->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(AdddisbleProcessButton, &QPushButton::clicked, this,
            [this] { ctx_.Guard([this] { AdddisbleProcessButtonClick(); }); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });
}

void TDisbleProcessForm::AdddisbleProcessButtonClick()
{
    // Each field is one word of the line but the title, which takes all before the last four.
    QString name = DisbleProcessEdit->text();
    name.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    name = name.trimmed();
    if (name.isEmpty()) {
        ctx_.Ui().ShowMessage(QStringLiteral("请输入一个有效的名称"));
        return;
    }
    const std::optional<QTime> from = ParseTime(TimeFieldText(DisbleProcessTimeUpMaskEdit));
    const std::optional<QTime> to = ParseTime(TimeFieldText(DisbleProcessTimeDownMaskEdit));
    if (!from || !to) {
        ctx_.Ui().ShowMessage(
            QStringLiteral("请输入有效的时间段，时间为 00:00:00 到 23:59:59 之间，如 08:30:00"));
        return;
    }
    const auto day = [](const QComboBox* box) {
        const QString text = box->currentText().simplified();
        return text.isEmpty() ? QStringLiteral("-") : QString(text).replace(u' ', u'_');
    };
    const QString format = QStringLiteral("hh:mm:ss");
    if (!list_.AppendDisbleProcess({name, day(DisbleProcessWeekUpComboBox),
                                    day(DisbleProcessWeekDownComboBox), from->toString(format),
                                    to->toString(format)}))
        return;
    // Kept all the same: the list is the user's, and another desktop may enforce it.
    ctx_.Ui().ShowMessage(list_.WindowsClosable()
                              ? QStringLiteral("添加成功")
                              : QStringLiteral("添加成功,但本桌面不允许关闭其他程序的窗口,"
                                               "该程序在此桌面上不会被关闭"));
    close();
}

void TDisbleProcessForm::CloseButtonClick()
{
    close();
}

void TDisbleProcessForm::ShowCentred()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

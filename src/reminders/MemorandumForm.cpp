#include "reminders/MemorandumForm.h"

#include "core/FeatureContext.h"
#include "core/TimeField.h"
#include "reminders/Memorandum.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TMemorandumForm::TMemorandumForm(FeatureContext& ctx, Memorandum& memorandum)
    : QWidget(ctx.Window(), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint),
      ctx_(ctx), memorandum_(memorandum)
{
    setObjectName(QStringLiteral("MemorandumForm"));
    setWindowTitle(QStringLiteral("添加备忘录"));

    MemorandumMonthCalendar = new QCalendarWidget(this);
    MemorandumMonthCalendar->setObjectName(QStringLiteral("MemorandumMonthCalendar"));
    MemorandumMonthCalendar->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    MemorandumMonthCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MemorandumMonthCalendar->setGridVisible(true);

    MemorandumDateMaskEdit = new QLineEdit(this);
    MemorandumDateMaskEdit->setObjectName(QStringLiteral("MemorandumDateMaskEdit"));
    MemorandumDateMaskEdit->setInputMask(QStringLiteral("9999/99/99;_"));
    MemorandumDateMaskEdit->setReadOnly(true);

    MemorandumTimeMaskEdit = NewTimeField(this, QStringLiteral("MemorandumTimeMaskEdit"),
                                          QStringLiteral("请输入一个正确的时间格式:如　12:12:00"));

    MemorandumMemo = new QPlainTextEdit(this);
    MemorandumMemo->setObjectName(QStringLiteral("MemorandumMemo"));
    MemorandumMemo->setToolTip(QStringLiteral("请填写备忘录内容"));
    MemorandumMemo->setTabChangesFocus(true);

    AddMemorandumButton = new QPushButton(QStringLiteral("添加至备忘录"), this);
    AddMemorandumButton->setObjectName(QStringLiteral("AddMemorandumButton"));
    AddMemorandumButton->setDefault(true);
    ExitButton = new QPushButton(QStringLiteral("关闭"), this);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("请选择一个日期："), this));
    left->addWidget(MemorandumMonthCalendar);
    left->addStretch();

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("年/月/日:"), this), 0, 0);
    fields->addWidget(MemorandumDateMaskEdit, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("时间:"), this), 1, 0);
    fields->addWidget(MemorandumTimeMaskEdit, 1, 1);
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(AddMemorandumButton);
    buttons->addWidget(ExitButton);

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(new QLabel(QStringLiteral("填写备忘录内容："), this));
    right->addWidget(MemorandumMemo, 1);
    right->addLayout(buttons);

    auto* outer = new QHBoxLayout(this);
    outer->addLayout(left);
    outer->addLayout(right, 1);

    MemorandumMemo->setMinimumWidth(260);
    adjustSize();
    setFixedSize(sizeHint());

    connect(MemorandumMonthCalendar, &QCalendarWidget::selectionChanged, this,
            [this] { MemorandumMonthCalendarClick(); });
    connect(AddMemorandumButton, &QPushButton::clicked, this,
            [this] { AddMemorandumButtonClick(); });
    connect(ExitButton, &QPushButton::clicked, this, [this] { ExitButtonClick(); });

    FormCreate();
}

void TMemorandumForm::FormCreate()
{
    const QDate today = ctx_.Now().date;
    {
        const QSignalBlocker quiet(MemorandumMonthCalendar);
        MemorandumMonthCalendar->setSelectedDate(today);
    }
    MemorandumDateMaskEdit->setText(DateText(today));
    MemorandumMemo->clear();
}

void TMemorandumForm::MemorandumMonthCalendarClick()
{
    MemorandumDateMaskEdit->setText(DateText(MemorandumMonthCalendar->selectedDate()));
}

void TMemorandumForm::AddMemorandumButtonClick()
{
    ctx_.Guard([this] {
        const std::optional<QDate> date = ParseDate(MemorandumDateMaskEdit->text());
        const QString text = MemorandumMemo->toPlainText();
        if (!date || *date < ctx_.Now().date || text.isEmpty() ||
            Memorandum::HasBreakingSpace(text)) {
            ctx_.Ui().ShowMessage(
                QStringLiteral("请输入一个有效的日期或者请填写备忘录内容,注意请勿输入空格"));
            return;
        }
        // A time with blanks left in it could never ring.
        if (!ParseTime(MemorandumTimeMaskEdit->text())) {
            ctx_.Ui().ShowMessage(QStringLiteral("请输入一个正确的时间格式:如　12:12:00"));
            return;
        }
        if (!memorandum_.AppendMemorandum(MemorandumDateMaskEdit->text(),
                                          MemorandumTimeMaskEdit->text(),
                                          Memorandum::CutContent(text)))
            return;
        ctx_.Ui().ShowMessage(QStringLiteral("添加备忘录成功"));
        close();
    });
}

void TMemorandumForm::ExitButtonClick()
{
    close();
}

void TMemorandumForm::FormClose()
{
    MemorandumMemo->clear();
}

void TMemorandumForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TMemorandumForm::ShowCentred()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

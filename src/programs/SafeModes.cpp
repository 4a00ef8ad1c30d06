#include "programs/SafeModes.h"

#include "core/FeatureContext.h"
#include "programs/PasswordDigest.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace {

const QString kSection = QStringLiteral("SafeModes");

QLineEdit* NewPasswordField(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

} // namespace

SafeModes::SafeModes(FeatureContext& ctx) : ctx_(ctx)
{
    window_ = ctx_.Window() ? ctx_.Window() : ctx_.Page(PageId::Install)->window();
    tabs_ = window_->findChild<QTabWidget*>(QStringLiteral("Page"));
    BuildGroup();
    BuildPanel();
    ctx_.OnLoad(LoadStep::SafeMode, [this] { LoadSafeModes(); });
    ctx_.OnTick(TickCheck::GuardSafeMode, [this] { GuardSafeMode(); });
    // Locked, the guard closes windows every second; unlocked, the next tick takes the
    // panel away.
    ctx_.OnWatch([this] { return Locked() || lockShown_; });
    ctx_.OnCloseQuery(CloseQueryStep::ExitPassword, [this] { return ExitPasswordQuery(); });
}

SafeModes::~SafeModes() = default;

const QStringList& SafeModes::GuardedTitles()
{
    static const QStringList titles = {
        QStringLiteral("Windows 任务管理器"), QStringLiteral("日期和时间 属性"),
#ifndef Q_OS_WIN
        QStringLiteral("系统监视器"), // GNOME, MATE, KDE, Deepin, UKUI
        QStringLiteral("任务管理器"), // xfce4-taskmanager, LXTask
        QStringLiteral("日期和时间"), // GNOME Settings, KDE, Cinnamon
        QStringLiteral("日期与时间"), // Deepin, UKUI
        QStringLiteral("时间和日期"), // MATE time-admin
        QStringLiteral("时间和日期设置"),
#endif
    };
    return titles;
}

void SafeModes::BuildGroup()
{
    QWidget* page = ctx_.Page(PageId::Install);
    auto* group = new QGroupBox(QStringLiteral("密码保护设置"), page);
    group->setObjectName(QStringLiteral("SafeModeGroupBox"));
    auto* grid = new QGridLayout(group);
    EnableSafeCheckBox = new QCheckBox(QStringLiteral("启用密码保护"), group);
    EnableSafeCheckBox->setObjectName(QStringLiteral("EnableSafeCheckBox"));
    CheckPasswordMaskEdit = NewPasswordField(group, QStringLiteral("CheckPasswordMaskEdit"));
    PasswordMaskEdit = NewPasswordField(group, QStringLiteral("PasswordMaskEdit"));
    CancelPasswodButton = new QPushButton(QStringLiteral("取消密码保护"), group);
    CancelPasswodButton->setObjectName(QStringLiteral("CancelPasswodButton"));
    grid->addWidget(new QLabel(QStringLiteral("输入密码："), group), 0, 0);
    grid->addWidget(CheckPasswordMaskEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("验证密码："), group), 1, 0);
    grid->addWidget(PasswordMaskEdit, 1, 1);
    grid->addWidget(EnableSafeCheckBox, 2, 0, 1, 2);
    grid->addWidget(CancelPasswodButton, 3, 0, 1, 2, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    ctx_.AddToPage(PageId::Install, group);

    connect(EnableSafeCheckBox, &QCheckBox::toggled, this, [this] {
        ctx_.Guard([this] { EnableSafeCheckBoxClick(); });
        ctx_.Replan();
    });
    connect(CancelPasswodButton, &QPushButton::clicked, this,
            [this] { ctx_.Guard([this] { CancelPasswodButtonClick(); }); });
}

void SafeModes::BuildPanel()
{
    // The window may bring an empty panel of its own; it is filled here.
    SafeModePanel =
        window_->findChild<QWidget*>(QStringLiteral("SafeModePanel"), Qt::FindDirectChildrenOnly);
    if (!SafeModePanel) {
        SafeModePanel = new QWidget(window_);
        SafeModePanel->setObjectName(QStringLiteral("SafeModePanel"));
    }
    SafeModePanel->setAutoFillBackground(true);
    auto* outer = new QVBoxLayout(SafeModePanel);
    outer->addStretch(1);
    Image2 = new QLabel(SafeModePanel);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setPixmap(window_->windowIcon().pixmap(64, 64));
    outer->addWidget(Image2);
    auto* caption = new QLabel(QStringLiteral("启用了密码保护,您可以输入正确的密码进行解除限制"),
                               SafeModePanel);
    caption->setAlignment(Qt::AlignCenter);
    caption->setWordWrap(true);
    outer->addWidget(caption);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(new QLabel(QStringLiteral("密码输入:"), SafeModePanel));
    SafeModePasswordMaskEdit =
        NewPasswordField(SafeModePanel, QStringLiteral("SafeModePasswordMaskEdit"));
    SafeModePasswordMaskEdit->setMinimumWidth(160);
    row->addWidget(SafeModePasswordMaskEdit);
    SaveModeButton = new QPushButton(QStringLiteral("确定"), SafeModePanel);
    SaveModeButton->setObjectName(QStringLiteral("SaveModeButton"));
    SaveModeButton->setDefault(true);
    row->addWidget(SaveModeButton);
    row->addStretch(1);
    outer->addLayout(row);
    outer->addStretch(2);
    SafeModePanel->setGeometry(window_->rect());
    SafeModePanel->hide();
    window_->installEventFilter(this);

    connect(SaveModeButton, &QPushButton::clicked, this,
            [this] { ctx_.Guard([this] { SaveModeButtonClick(); }); });
    connect(SafeModePasswordMaskEdit, &QLineEdit::returnPressed, this,
            [this] { ctx_.Guard([this] { SaveModeButtonClick(); }); });
}

bool SafeModes::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Resize)
        SafeModePanel->setGeometry(window_->rect());
    return QObject::eventFilter(watched, event);
}

bool SafeModes::Locked() const
{
    return EnableSafeCheckBox->isChecked();
}

void SafeModes::LoadSafeModes()
{
    SettingsFile& settings = ctx_.Settings();
    password_ = settings.ReadString(kSection, QStringLiteral("Password"), QString());
    const bool stored = settings.ReadBool(kSection, QStringLiteral("SafeModeState"), false);
    // The fields stay empty: they are for a new password, never a copy of the stored one.
    if (stored && !password_.isEmpty()) {
        {
            const QSignalBlocker quiet(EnableSafeCheckBox);
            EnableSafeCheckBox->setChecked(true);
        }
        ctx_.Replan();
    } else if (stored) {
        ctx_.Ui().ShowMessage(QStringLiteral("请输入密码"));
    }
    // A plain password of an older file is kept no longer than needed.
    if (!password_.isEmpty() && !PasswordDigest::IsDigest(password_)) {
        password_ = PasswordDigest::Make(password_);
        settings.WriteString(kSection, QStringLiteral("Password"), password_);
    }
}

void SafeModes::SaveSafeModes()
{
    SettingsFile& settings = ctx_.Settings();
    settings.WriteString(kSection, QStringLiteral("Password"), password_);
    settings.WriteBool(kSection, QStringLiteral("SafeModeState"), EnableSafeCheckBox->isChecked());
}

void SafeModes::EnableSafeCheckBoxClick()
{
    if (!EnableSafeCheckBox->isChecked())
        return; // the stored lock stays as it was
    const QString first = PasswordMaskEdit->text();
    const QString second = CheckPasswordMaskEdit->text();
    if (first.isEmpty() && second.isEmpty()) {
        ctx_.Ui().ShowMessage(QStringLiteral("请输入密码"));
        EnableSafeCheckBox->setChecked(false);
        return;
    }
    // One field left empty counts as two different entries: a lock without a password
    // that opens it would shut the user out.
    if (first != second) {
        PasswordMaskEdit->clear();
        CheckPasswordMaskEdit->clear();
        ctx_.Ui().ShowMessage(QStringLiteral("你输入的密码不正确,请重新输入"));
        EnableSafeCheckBox->setChecked(false);
        return;
    }
    password_ = PasswordDigest::Make(first);
    PasswordMaskEdit->clear();
    CheckPasswordMaskEdit->clear();
    SaveSafeModes();
    // The lock over our own window works anywhere; only its guard needs other windows.
    platform::WindowsByTitle* windows = ctx_.Os().windows.get();
    if (!windows || !windows->available())
        ctx_.Ui().ShowMessage(QStringLiteral("密码保护已启用,但本桌面不允许关闭其他程序的窗口,"
                                             "任务管理器和日期时间窗口不会被关闭"));
}

void SafeModes::CancelPasswodButtonClick()
{
    // A lock left on without a password could not be opened again in this run.
    password_.clear();
    EnableSafeCheckBox->setChecked(false);
    SaveSafeModes();
    ctx_.Ui().ShowMessage(QStringLiteral("已取消密码保护"));
}

void SafeModes::ShowLock(bool on)
{
    if (tabs_)
        tabs_->setEnabled(!on);
    else
        for (int p = 0; p < static_cast<int>(PageId::Count); ++p)
            if (QWidget* page = ctx_.Page(static_cast<PageId>(p)))
                page->setEnabled(!on);
    if (on) {
        SafeModePanel->setGeometry(window_->rect());
        SafeModePanel->show();
        SafeModePanel->raise();
    } else {
        SafeModePanel->hide();
    }
    lockShown_ = on;
}

void SafeModes::GuardSafeMode()
{
    const bool locked = Locked();
    if (locked) {
        static const std::vector<std::u16string> titles = [] {
            std::vector<std::u16string> out;
            for (const QString& title : GuardedTitles())
                out.push_back(title.toStdU16String());
            return out;
        }();
        if (platform::WindowsByTitle* windows = ctx_.Os().windows.get())
            windows->requestCloseEach(titles);
    }
    if (locked != lockShown_ || (locked && SafeModePanel->isHidden()))
        ShowLock(locked);
}

void SafeModes::SaveModeButtonClick()
{
    const QString entry = SafeModePasswordMaskEdit->text();
    if (entry.isEmpty()) {
        ctx_.Ui().ShowMessage(QStringLiteral("请输入密码"));
        return;
    }
    SafeModePasswordMaskEdit->clear();
    if (!PasswordDigest::Matches(password_, entry)) {
        ctx_.Ui().ShowMessage(QStringLiteral("密码输入错误,请重新输入"));
        return;
    }
    ShowLock(false);
    EnableSafeCheckBox->setChecked(false);
    PasswordMaskEdit->clear();
    CheckPasswordMaskEdit->clear();
}

bool SafeModes::ExitPasswordQuery()
{
    if (!Locked() || password_.isEmpty())
        return true;
    const std::optional<QString> entry =
        ctx_.Ui().InputBox(QStringLiteral("Ossory—多功能定时软件"),
                           QStringLiteral("请输入退出密码:"), QString(), true);
    if (!entry)
        return false;
    if (PasswordDigest::Matches(password_, *entry))
        return true;
    ctx_.Ui().ShowMessage(QStringLiteral("输入的密码错误"));
    return false;
}

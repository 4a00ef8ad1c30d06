#include "app/Main.h"

#include "app/Artwork.h"
#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/ShutDownComputer.h"
#include "power/SystemRunShutdown.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioPlayback.h"
#include "radio/Radiotiming.h"
#include "reminders/AlarmClocks.h"
#include "reminders/Memorandum.h"
#include "ui/AppTitle.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

namespace {

const QString kAppAutoRun = QStringLiteral("AppAutoRun");
const QString kAutoRun = QStringLiteral("AutoRun");

} // namespace

TMainForm::TMainForm(platform::Platform& platform, UiServices& ui, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      platform_(platform), ui_(ui), tick_(ui)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(AppTitle());
    setWindowIcon(Artwork::AppIcon());
    setFixedSize(800, 560);

    BuildPages();
    BuildTray();

    // The tick runs from the moment the window exists; the splash's modal loop delivers
    // the first ones.
    CountDown = new QTimer(this);
    CountDown->setObjectName(QStringLiteral("CountDown"));
    CountDown->setInterval(1000);
    connect(CountDown, &QTimer::timeout, this, &TMainForm::CountDownTimer);
    ConnectTick();
    CountDown->start();

    // Feature objects are built here, each adding its groups to its page.
    ShutDown = std::make_unique<ShutDownComputer>(platform_);
    FixedTimes = std::make_unique<FixedTimeShutdown>(*this);
    DestineWeeks = std::make_unique<DestineWeekShutdown>(*this);
    ConfineWeekTimes = std::make_unique<ConfineWeekShutdown>(*this);
    SystemRunTimes = std::make_unique<SystemRunShutdown>(*this);
    EconomizePowers = std::make_unique<EconomizePowerShutdown>(*this);
    NetStates = std::make_unique<NetStateShutdown>(*this);

    Alarms = std::make_unique<AlarmClocks>(*this);
    Memoranda = std::make_unique<Memorandum>(*this, *Alarms);

    RadioStations = std::make_unique<RadioCatalogue>(*this);
    Radio = std::make_unique<RadioPlayback>(*this, CreateNetRadioLibrary());
    RadioTimings = std::make_unique<Radiotiming>(*this);

    // Features have added their groups; what is left of each page stays empty below them.
    for (int i = 0; i < Page->count(); ++i)
        PageLayout(Page->widget(i))->addStretch();

    LoadAllSettings();
}

TMainForm::~TMainForm()
{
    FormClose();
}

QVBoxLayout* TMainForm::PageLayout(QWidget* page)
{
    return qobject_cast<QVBoxLayout*>(page->layout());
}

QString TMainForm::ResolveProgramDir()
{
    QString dir = qEnvironmentVariable("QUORLIN_PROGRAM_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    dir = QDir::fromNativeSeparators(dir);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

QString TMainForm::WebsiteAddress()
{
    return QStringLiteral("https://quorlin.app/");
}

QString TMainForm::BlogAddress()
{
    return QStringLiteral("https://quorlin.app/blog/");
}

QString TMainForm::HelpFilePath() const
{
    return ProgramDir + QStringLiteral("使用指南.html");
}

void TMainForm::BuildPages()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    Page = new QTabWidget(this);
    Page->setObjectName(QStringLiteral("Page"));
    outer->addWidget(Page);

    struct PageDef {
        QWidget** slot;
        const char* name;
        const char16_t* caption;
    };
    const PageDef pages[] = {
        {&NetRadio, "NetRadio", u"网络电台"},
        {&RegularShutDown, "RegularShutDown", u"关机任务"},
        {&ClearRubbish, "ClearRubbish", u"系统清理和优化"},
        {&SystemTheme, "SystemTheme", u"美化系统"},
        {&Alarm, "Alarm", u"闹钟与备忘录"},
        {&GradeFunction, "GradeFunction", u"开机启动与程序禁止"},
        {&Install, "Install", u"设置"},
        {&Illustrate, "Illustrate", u"说明"},
    };
    for (const PageDef& def : pages) {
        auto* page = new QWidget(Page);
        page->setObjectName(QString::fromLatin1(def.name));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(10, 10, 10, 10);
        layout->setSpacing(8);
        Page->addTab(page, QString::fromUtf16(def.caption));
        *def.slot = page;
    }
    Page->setTabToolTip(Page->indexOf(Install), QStringLiteral("可以增加密码保护设置"));
    Page->setCurrentWidget(NetRadio);

    BuildInstallPage();
    BuildIllustratePage();

    // The lock panel covers the whole window while the password lock is on.
    SafeModePanel = new QWidget(this);
    SafeModePanel->setObjectName(QStringLiteral("SafeModePanel"));
    SafeModePanel->setGeometry(rect());
    SafeModePanel->hide();
}

void TMainForm::BuildInstallPage()
{
    auto* group = new QGroupBox(QStringLiteral("程序设置"), Install);
    group->setObjectName(QStringLiteral("AppSettingsGroup"));
    auto* layout = new QVBoxLayout(group);
    AutoRunCheckBox = new QCheckBox(QStringLiteral("开机启动"), group);
    AutoRunCheckBox->setObjectName(QStringLiteral("AutoRunCheckBox"));
    AutoRunCheckBox->setToolTip(QStringLiteral("登录系统时自动在托盘中启动本程序"));
    layout->addWidget(AutoRunCheckBox);
    PageLayout(Install)->addWidget(group);
    connect(AutoRunCheckBox, &QCheckBox::toggled, this, [this] { AutoRunCheckBoxClick(); });
}

void TMainForm::BuildIllustratePage()
{
    QVBoxLayout* layout = PageLayout(Illustrate);

    Image1 = new QLabel(Illustrate);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Artwork::IllustratePicture());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("访问官方网站"));
    Image1->installEventFilter(this);
    layout->addWidget(Image1);

    auto* about =
        new QLabel(QStringLiteral("<p style='font-size:15px'><b>Quorlin 桌面助手</b></p>"
                                  "<p>开机后在托盘中静候，按时替您完成关机、闹钟、备忘录、报时、"
                                  "休息提醒、对时、清理、美化和网络电台等事务。</p>"),
                   Illustrate);
    about->setObjectName(QStringLiteral("AboutLabel"));
    about->setWordWrap(true);
    layout->addWidget(about);

    Label10 = new QLabel(QStringLiteral("本软件由 Quorlin 团队制作。如需定制功能，请联系 "
                                        "support@quorlin.app"),
                         Illustrate);
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setWordWrap(true);
    layout->addWidget(Label10);

    Label11 = new QLabel(QStringLiteral("<a href='#'>作者博客：Quorlin 开发手记</a>"), Illustrate);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setCursor(Qt::PointingHandCursor);
    connect(Label11, &QLabel::linkActivated, this, [this] { Label11Click(); });
    layout->addWidget(Label11);

    auto* buttons = new QHBoxLayout;
    HelpButton = new QPushButton(QStringLiteral("查看功能指南"), Illustrate);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    AccessWebsiteButton = new QPushButton(QStringLiteral("进入Varnel官方网站"), Illustrate);
    AccessWebsiteButton->setObjectName(QStringLiteral("AccessWebsiteButton"));
    buttons->addStretch();
    buttons->addWidget(HelpButton);
    buttons->addWidget(AccessWebsiteButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    connect(HelpButton, &QPushButton::clicked, this, [this] { HelpButtonClick(); });
    connect(AccessWebsiteButton, &QPushButton::clicked, this,
            [this] { AccessWebsiteButtonClick(); });
}

void TMainForm::BuildTray()
{
    TrayIcon = new QSystemTrayIcon(Artwork::AppIcon(), this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setToolTip(AppTitle());
    TrayIconPopupMenu = new QMenu(this);
    TrayIconPopupMenu->setObjectName(QStringLiteral("TrayIconPopupMenu"));
    AccessWebsite = TrayIconPopupMenu->addAction(QStringLiteral("访问官网"));
    AccessWebsite->setObjectName(QStringLiteral("AccessWebsite"));
    Help = TrayIconPopupMenu->addAction(QStringLiteral("使用指南"));
    Help->setObjectName(QStringLiteral("Help"));
    Exit = TrayIconPopupMenu->addAction(QStringLiteral("退出"));
    Exit->setObjectName(QStringLiteral("Exit"));
    TrayIcon->setContextMenu(TrayIconPopupMenu);
    connect(AccessWebsite, &QAction::triggered, this, [this] { AccessWebsiteClick(); });
    connect(Help, &QAction::triggered, this, [this] { HelpClick(); });
    connect(Exit, &QAction::triggered, this, [this] { ExitClick(); });
    connect(TrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    TrayIconClick();
            });
    TrayIcon->show();
}

void TMainForm::ConnectTick()
{
    tick_.SetBeforeChecks([this] {
        const LocalMoment now = Now();
        CurrentHour = static_cast<quint16>(now.time.hour());
        CurrentMinute = static_cast<quint16>(now.time.minute());
        CurrentSecond = static_cast<quint16>(now.time.second());
        CurrentMonth = static_cast<quint16>(now.date.month());
    });
    tick_.SetAfterChecks([this] {
        if (StartHidden) {
            StartHidden = false;
            HideToTray();
        }
    });
    // Feature checks are registered by the features below, in tick order.
}

void TMainForm::LoadAllSettings()
{
    Settings = std::make_unique<SettingsFile>(*platform_.profile, SettingsFile::DefaultPath());
    ProgramDir = ResolveProgramDir();

    // Each loader runs guarded on its own: one feature that cannot arm (its settings
    // write refused, say) must not leave every later feature unloaded.
    const std::function<void()> loaders[] = {
        [this] { FixedTimes->LoadFixedTimes(); },
        [this] { DestineWeeks->LoadDestineWeeks(); },
        [this] { ConfineWeekTimes->LoadConfineWeekTimes(); },
        [this] { SystemRunTimes->LoadSystemRunTimes(); },
        [this] { EconomizePowers->LoadEconomizePowers(); },
        [this] { NetStates->LoadNetStates(); },
        [this] { Alarms->LoadAlarmClocks(); },
        [this] { Memoranda->LoadMemoranda(); },
        // Later here: startup-program list, blocked programs, start the startup programs,
        // password, junk cleaning, themes, half-hour chime, rest reminders.
        [this] { Radio->LoadRadioSettings(); },
        [this] { AutoRunCheckBox->setChecked(Settings->ReadBool(kAppAutoRun, kAutoRun, true)); },
    };
    for (const std::function<void()>& load : loaders)
        Guard(load);
}

void TMainForm::CountDownTimer()
{
    tick_.Run();
}

void TMainForm::ShowTrayBalloon(const QString& text)
{
    ui_.ShowBalloon(QStringLiteral("Varnel 提醒您"), text, 5000);
}

void TMainForm::ShellOpen(const QString& target)
{
    if (platform_.shell)
        platform_.shell->open(target.toStdU16String());
}

void TMainForm::HideToTray()
{
    // Without a tray (a bare X server) a hidden window could never come back: keep it
    // reachable from the taskbar instead.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void TMainForm::FormResize()
{
    if (isMinimized() && QSystemTrayIcon::isSystemTrayAvailable()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        hide();
    }
}

void TMainForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QTimer::singleShot(0, this, [this] { FormResize(); });
}

void TMainForm::TrayIconClick()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TMainForm::ExitClick()
{
    close();
}

void TMainForm::AccessWebsiteClick()
{
    ShellOpen(WebsiteAddress());
}

void TMainForm::HelpClick()
{
    ShellOpen(HelpFilePath());
}

void TMainForm::HelpButtonClick()
{
    ShellOpen(HelpFilePath());
}

void TMainForm::AccessWebsiteButtonClick()
{
    ShellOpen(WebsiteAddress());
}

void TMainForm::Image1Click()
{
    ShellOpen(WebsiteAddress());
}

void TMainForm::Image2Click()
{
    ShellOpen(WebsiteAddress());
}

void TMainForm::Label11Click()
{
    ShellOpen(BlogAddress());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::AutoRunCheckBoxClick()
{
    Guard([this] {
        if (!platform_.autostart)
            throw std::runtime_error("本系统不支持开机启动");
        if (AutoRunCheckBox->isChecked())
            platform_.autostart->write(
                QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdU16String());
        else
            platform_.autostart->remove();
        Settings->WriteBool(kAppAutoRun, kAutoRun, AutoRunCheckBox->isChecked());
    });
}

bool TMainForm::FormCloseQuery()
{
    // The exit password of the lock and the theme step at exit come in here.
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
    QCoreApplication::quit();
}

void TMainForm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    CountDown->stop();
    // Background work (the idle-input listener, the network worker) is stopped here.
    if (EconomizePowers)
        EconomizePowers->ReleaseInputHook();
    if (NetStates)
        NetStates->StopWorker();
    if (TrayIcon)
        TrayIcon->hide();
    Settings.reset();
}

#include "app/Main.h"

#include "app/AppAutoRun.h"
#include "app/Artwork.h"
#include "app/IllustratePage.h"
#include "app/UpcomingForm.h"
#include "appearance/SystemTheme.h"
#include "core/DataFolder.h"
#include "maintenance/KeyOptimization.h"
#include "maintenance/RubbishClear.h"
#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/PowerWarning.h"
#include "power/ShutDownComputer.h"
#include "power/SystemRunShutdown.h"
#include "programs/AutoRunPrograms.h"
#include "programs/DisbleProcesses.h"
#include "programs/PasswordDigest.h"
#include "programs/SafeModes.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioMpris.h"
#include "radio/RadioPlayback.h"
#include "radio/Radiotiming.h"
#include "reminders/AlarmClocks.h"
#include "reminders/ClockCalibration.h"
#include "reminders/HalfHourChime.h"
#include "reminders/Memorandum.h"
#include "reminders/RestReminders.h"
#include "ui/AppTitle.h"
#include "weather/WeatherStrip.h"

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>
#include <functional>

namespace {

// The window of this run, for the end of a program that closes nothing.
TMainForm* liveWindow = nullptr;
// A lost display ends the program from inside the windowing layer with exit(), which closes
// no window: the close steps run from an exit handler then. Handlers run newest first, after
// the statics made later are already gone, so it is registered as late as it can be: at the
// end of the window's construction and once more after the start.
void EndSessionAtExit()
{
    static int registered = 0;
    if (registered < 2 && std::atexit(TMainForm::EndSessionOfLiveWindow) == 0)
        ++registered;
}

// A close this soon after the session manager's call is the logout itself.
constexpr qint64 kSessionEndMs = 60'000;

// While the lock is on, nobody without its password may let a power action go or bring it
// forward: the countdown's buttons ask for it as the exit does.
bool LockPasswordGiven(const SafeModes& lock, UiServices& ui)
{
    if (!lock.Locked() || lock.Password().isEmpty())
        return true;
    const std::optional<QString> entry =
        ui.InputBox(AppTitle(), QStringLiteral("已启用密码保护,请输入密码:"), QString(), true);
    if (!entry)
        return false;
    if (PasswordDigest::Matches(lock.Password(), *entry))
        return true;
    ui.ShowMessage(QStringLiteral("密码输入错误,请重新输入"));
    return false;
}

} // namespace

TMainForm::TMainForm(platform::Platform& platform, UiServices& ui, ServerOverrides servers,
                     QWidget* parent)
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

    // The settings object lives as long as the window: boxes open inside a check run
    // nested event loops that may still unwind into code that writes a setting.
    Settings = std::make_unique<SettingsFile>(*platform_.profile, SettingsFile::DefaultPath());
    ProgramDir = ResolveProgramDir();
    DataDir = DataFolder::Resolve(ProgramDir);
    DataFolder::Adopt(ProgramDir, DataDir);
    ShutDown = std::make_unique<ShutDownComputer>(platform_);
    context_ = std::make_unique<FeatureContext>(
        platform_, ui_, *Settings, *ShutDown, tick_, this,
        FeatureContext::Pages{NetRadio, RegularShutDown, ClearRubbish, SystemTheme, Alarm,
                              GradeFunction, Install, Illustrate},
        ProgramDir, DataDir);
    context_->SetServers(std::move(servers));

    // The tick runs from the moment the window exists; the splash's modal loop delivers
    // the first ones. One wake-up on the wall clock, aimed after every tick at the next
    // second that needs one, and anew whenever what is due changes.
    CountDown = new WallClockWake(this);
    CountDown->setObjectName(QStringLiteral("CountDown"));
    connect(CountDown, &WallClockWake::Woken, this, [this] {
        const int delayMs = PacedTick();
        // A box opened by the tick may have closed the window meanwhile.
        if (delayMs >= 0 && pacing_)
            CountDown->Start(delayMs);
    });
    // A clock set: every planned second is asked again (the hook below aims the wake-up).
    connect(CountDown, &WallClockWake::ClockSet, this, [this] { context_->Replan(); });
    context_->SetReplanned([this] { AimTick(); });
    // An answer in a box may arm or disarm something; the handler that opened the box
    // acts on the answer first.
    ui_.SetBoxClosed([this] {
        QMetaObject::invokeMethod(
            this, [this] { context_->Replan(); }, Qt::QueuedConnection);
    });
    ConnectTick();

    BuildFeatures();
    // The lock panel's picture leads to the web site, as the one on the help page does.
    if (auto* image2 = findChild<QWidget*>(QStringLiteral("Image2")))
        image2->installEventFilter(this);
    BuildUpcoming();
    // Features have added their groups; what is left of each page stays empty below them.
    for (int i = 0; i < Page->count(); ++i)
        PageLayout(Page->widget(i))->addStretch();

    LoadAllSettings();
    CountDown->Start(0);

    liveWindow = this;
    EndSessionAtExit();
    // Again once the start is over: what was first used since then is torn down at exit
    // before a handler registered earlier runs.
    QTimer::singleShot(10'000, this, [] { EndSessionAtExit(); });
    // The event loop ended without a close (SIGTERM, see main.cpp): the session is ending.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { EndSession(); });
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { CommitSession(); });
#endif
}

void TMainForm::BuildFeatures()
{
    FeatureContext& c = *context_;
    auto own = [this](auto feature) -> auto&
    {
        return features_.Own(std::move(feature));
    };
    // In tick order; a peer comes before the features that are given it.
    // The program's own box and the static page come first: their groups head their pages.
    AppAutoRun& autoRun = own(std::make_unique<AppAutoRun>(c));
    AutoRunCheckBox = autoRun.AutoRunCheckBox;
    IllustratePage& illustrate = own(std::make_unique<IllustratePage>(c));
    Image1 = illustrate.Image1;
    Label10 = illustrate.Label10;
    Label11 = illustrate.Label11;
    HelpButton = illustrate.HelpButton;
    AccessWebsiteButton = illustrate.AccessWebsiteButton;
    own(std::make_unique<FixedTimeShutdown>(c));
    own(std::make_unique<DestineWeekShutdown>(c));
    own(std::make_unique<ConfineWeekShutdown>(c));
    own(std::make_unique<SystemRunShutdown>(c));
    own(std::make_unique<EconomizePowerShutdown>(c));
    own(std::make_unique<NetStateShutdown>(c));
    // Holds the six rules' actions back when asked.
    PowerWarning& warning = own(std::make_unique<PowerWarning>(c));
    AlarmClocks& alarms = own(std::make_unique<AlarmClocks>(c));
    own(std::make_unique<Memorandum>(c, alarms));
    own(std::make_unique<AutoRunPrograms>(c));
    own(std::make_unique<DisbleProcesses>(c));
    SafeModes& lock = own(std::make_unique<SafeModes>(c));
    warning.MayAnswer = [this, &lock] { return LockPasswordGiven(lock, ui_); };
    own(std::make_unique<RubbishClear>(c));
    own(std::make_unique<KeyOptimization>(c));
    own(std::make_unique<HalfHourChime>(c));
    own(std::make_unique<ClockCalibration>(c));
    own(std::make_unique<RestReminders>(c));
    RadioCatalogue& stations = own(std::make_unique<RadioCatalogue>(c));
    RadioPlayback& radio =
        own(std::make_unique<RadioPlayback>(c, stations, CreateNetRadioLibrary()));
    own(std::make_unique<Radiotiming>(c, stations, radio));
    // The radio makes way for a ring; the desktop's media controls reach it on the bus.
    alarms.Ringing = [&radio](bool ringing) { radio.RingStateChanged(ringing); };
    if (std::optional<QDBusConnection> bus = RadioMpris::SessionBus())
        own(std::make_unique<RadioMpris>(c, stations, radio, *bus));
    own(std::make_unique<::SystemTheme>(c)); // the class, not the page of that name
    own(std::make_unique<WeatherStrip>(c));
}

TMainForm::~TMainForm()
{
    if (liveWindow == this)
        liveWindow = nullptr;
    FormClose();
    ui_.SetBoxClosed({});
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

    // The lock panel covers the whole window while the password lock is on.
    SafeModePanel = new QWidget(this);
    SafeModePanel->setObjectName(QStringLiteral("SafeModePanel"));
    SafeModePanel->setGeometry(rect());
    SafeModePanel->hide();
}

void TMainForm::BuildTray()
{
    TrayIcon = new QSystemTrayIcon(Artwork::AppIcon(), this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setToolTip(AppTitle());
    TrayIconPopupMenu = new QMenu(this);
    TrayIconPopupMenu->setObjectName(QStringLiteral("TrayIconPopupMenu"));
    UpcomingTasks = TrayIconPopupMenu->addAction(QStringLiteral("近期任务"));
    UpcomingTasks->setObjectName(QStringLiteral("UpcomingTasks"));
    AccessWebsite = TrayIconPopupMenu->addAction(QStringLiteral("访问官网"));
    AccessWebsite->setObjectName(QStringLiteral("AccessWebsite"));
    Help = TrayIconPopupMenu->addAction(QStringLiteral("使用指南"));
    Help->setObjectName(QStringLiteral("Help"));
    Exit = TrayIconPopupMenu->addAction(QStringLiteral("退出"));
    Exit->setObjectName(QStringLiteral("Exit"));
    TrayIcon->setContextMenu(TrayIconPopupMenu);
    connect(UpcomingTasks, &QAction::triggered, this, [this] { ShowUpcoming(); });
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

void TMainForm::BuildUpcoming()
{
    Upcoming = new UpcomingForm(*context_, this);
    UpcomingButton = new QPushButton(QStringLiteral("近期任务"), RegularShutDown);
    UpcomingButton->setObjectName(QStringLiteral("UpcomingButton"));
    UpcomingButton->setToolTip(QStringLiteral("查看今后七天内将要执行的任务和操作记录"));
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(UpcomingButton);
    context_->AddToPage(PageId::RegularShutDown, row);
    connect(UpcomingButton, &QPushButton::clicked, this, [this] { ShowUpcoming(); });
}

void TMainForm::ShowUpcoming()
{
    if (!Upcoming)
        return;
    Upcoming->setWindowState(Upcoming->windowState() & ~Qt::WindowMinimized);
    Upcoming->show();
    Upcoming->raise();
    Upcoming->activateWindow();
}

void TMainForm::ConnectTick()
{
    tick_.SetAfterChecks([this] {
        if (StartHidden) {
            StartHidden = false;
            HideToTray();
        }
    });
    context_->OnWatch([this] { return StartHidden; });
    // Feature checks are registered by the features below, in tick order.
}

void TMainForm::LoadAllSettings()
{
    context_->RunLoaders();
}

void TMainForm::CountDownTimer()
{
    tick_.Run();
}

int TMainForm::PacedTick()
{
    if (pacer_.OnWake(Now())) {
        inTick_ = true;
        const auto over = qScopeGuard([this] { inTick_ = false; });
        CountDownTimer();
    }
    return closed_ ? -1 : NextDelayMs();
}

int TMainForm::NextDelayMs() const
{
    const LocalMoment now = Now();
    return TickPacer::DelayTo(now, context_->NextTickSecond(now));
}

void TMainForm::AimTick()
{
    if (closed_ || !pacing_ || inTick_)
        return;
    CountDown->Start(NextDelayMs());
}

void TMainForm::StopPacing()
{
    pacing_ = false;
    CountDown->Stop();
}

void TMainForm::ShowTrayBalloon(const QString& text)
{
    context_->ShowTrayBalloon(text);
}

void TMainForm::ShellOpen(const QString& target)
{
    context_->ShellOpen(target);
}

void TMainForm::HideToTray()
{
    // Without a tray (a bare X server) a hidden window could never come back: keep it
    // reachable from the taskbar instead.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        HideWindow();
        return;
    }
    showMinimized();
    minimisedForTray_ = true;
    WatchForTray();
}

void TMainForm::WatchForTray()
{
    if (trayWatch_)
        return;
    trayWatch_ = new QTimer(this);
    trayWatch_->setInterval(1000);
    // At logon the panel may come up a while after the program: look for five minutes.
    auto* deadline = new QElapsedTimer;
    deadline->start();
    connect(trayWatch_, &QTimer::timeout, this, [this, deadline] {
        const bool found = QSystemTrayIcon::isSystemTrayAvailable();
        if (!found && deadline->elapsed() < 5 * 60 * 1000)
            return;
        trayWatch_->stop();
        trayWatch_->deleteLater();
        trayWatch_ = nullptr;
        delete deadline;
        if (!found)
            return;
        // The icon was shown while there was no tray to hold it: show it again there.
        TrayIcon->hide();
        TrayIcon->show();
        if ((isMinimized() || minimisedForTray_) && !closed_) {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            HideWindow();
        }
        minimisedForTray_ = false;
    });
    trayWatch_->start();
}

void TMainForm::FormResize()
{
    if (isMinimized() && QSystemTrayIcon::isSystemTrayAvailable()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        HideWindow();
    }
}

void TMainForm::HideWindow()
{
    hide();
    // A hidden window keeps its window-sized image for the next paint (about 2 MB); in the
    // tray it may stay hidden for days. Showing it again paints it anew in any case.
    if (QBackingStore* store = backingStore())
        store->resize(QSize(1, 1));
}

void TMainForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QTimer::singleShot(0, this, [this] { FormResize(); });
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        minimisedForTray_ = false;
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
    ShellOpen(IllustratePage::WebsiteAddress());
}

void TMainForm::HelpClick()
{
    ShellOpen(IllustratePage::HelpFilePath(ProgramDir));
}

void TMainForm::Image2Click()
{
    ShellOpen(IllustratePage::WebsiteAddress());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched->objectName() == u"Image2") {
        Image2Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TMainForm::FormCloseQuery()
{
    // The exit password of the lock and the theme change at exit come in here.
    return context_->RunCloseQuery();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Already ended (the session's end): nothing is asked again.
    if (closed_) {
        event->accept();
        return;
    }
    if (sessionEnding_.isValid() && sessionEnding_.elapsed() < kSessionEndMs) {
        event->accept();
        EndSession();
        QCoreApplication::quit();
        return;
    }
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
    CountDown->Stop();
    if (trayWatch_)
        trayWatch_->stop();
    // Background work (the idle-input listener, the network worker) ends here.
    context_->RunClose();
    if (TrayIcon)
        TrayIcon->hide();
}

void TMainForm::EndSession()
{
    if (closed_)
        return;
    // Nobody is there to answer a box, and the password cannot keep a session alive.
    ui_.SetSilent(true);
    context_->RunSessionEndQuery();
    FormClose();
}

void TMainForm::CommitSession()
{
    if (closed_)
        return;
    sessionEnding_.start();
    ui_.SetSilent(true);
    context_->RunSessionEndQuery();
    ui_.SetSilent(false);
}

void TMainForm::EndSessionOfLiveWindow()
{
    if (liveWindow)
        liveWindow->EndSession();
}

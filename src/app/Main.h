#pragma once

#include "core/FeatureContext.h"
#include "core/FeatureList.h"
#include "core/ServerOverrides.h"
#include "platform/Platform.h"
#include "scheduler/SchedulerTick.h"
#include "scheduler/TickPacer.h"
#include "scheduler/TimeText.h"
#include "scheduler/WallClockWake.h"
#include "settings/SettingsFile.h"
#include "ui/UiServices.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QVBoxLayout;
class ShutDownComputer;
class UpcomingForm;

//! The main window: eight tab pages hosting every feature, the tray icon, and the
//! one-second tick.
//!
//! Ownership, the one rule for every feature: the window owns each feature object in its
//! FeatureList from construction to destruction. Features are built in tick order in
//! BuildFeatures() (the one place a new feature is added), each over the FeatureContext and
//! the peers it needs; they are destroyed in reverse order before the window's widgets. A
//! feature's widgets are children of its page or of the window, so Qt deletes them with
//! the window, and every connection a feature makes has one of its own widgets (or the
//! feature itself, when it is a QObject) as context. The settings file, the power actions
//! and the context live as long as the window.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    TMainForm(platform::Platform& platform, UiServices& ui, ServerOverrides servers = {},
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // Frame controls, under the names the handlers use. The autostart box and the controls
    // of the page "说明" belong to their own pieces; they are named here for the tests.
    QTabWidget* Page = nullptr;
    QWidget* NetRadio = nullptr;
    QWidget* RegularShutDown = nullptr;
    QWidget* ClearRubbish = nullptr;
    QWidget* SystemTheme = nullptr;
    QWidget* Alarm = nullptr;
    QWidget* GradeFunction = nullptr;
    QWidget* Install = nullptr;
    QWidget* Illustrate = nullptr;
    QWidget* SafeModePanel = nullptr;
    //! The tick's wake-up, aimed anew after every tick and every re-plan (TickPacer).
    WallClockWake* CountDown = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr;
    QMenu* TrayIconPopupMenu = nullptr;
    QAction* UpcomingTasks = nullptr;
    QAction* AccessWebsite = nullptr;
    QAction* Help = nullptr;
    QAction* Exit = nullptr;
    QCheckBox* AutoRunCheckBox = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* AccessWebsiteButton = nullptr;
    //! The button "近期任务" on the page "关机任务", and the window it opens.
    QPushButton* UpcomingButton = nullptr;
    UpcomingForm* Upcoming = nullptr;

    // Values of the frame.
    bool StartHidden = false;
    QString ProgramDir;
    QString DataDir;
    std::unique_ptr<SettingsFile> Settings;
    //! Performs the power actions the rules and the optimisation ask for.
    std::unique_ptr<ShutDownComputer> ShutDown;

    //! The feature of type T, or null (for the window's own tests).
    template <typename T> T* Feature() const { return features_.Find<T>(); }
    FeatureContext& Context() { return *context_; }

    //! The vertical layout of a tab page; features add their groups to it in order.
    static QVBoxLayout* PageLayout(QWidget* page);

    void LoadAllSettings();
    void CountDownTimer();
    //! One wake-up of the tick's pacer: the tick, when its wall-clock second had none yet;
    //! then the milliseconds to the next wake-up, -1 once the window is closed.
    int PacedTick();
    //! Tests drive the tick by hand: no wake-up comes from now on.
    void StopPacing();
    void ShowTrayBalloon(const QString& text);
    //! Opens a file or an address with the desktop's "open" action.
    void ShellOpen(const QString& target);

    LocalMoment Now() const { return ReadClock(*platform_.clock); }

    //! Runs `body` through the guarded entry (error box, rest skipped).
    template <typename Body> bool Guard(Body&& body)
    {
        return Guarded(ui_, std::forward<Body>(body));
    }

    static QString ResolveProgramDir();

    // Handlers of the frame.
    void FormResize();
    void TrayIconClick();
    //! Opens the window of what comes next, from the tray menu or the button.
    void ShowUpcoming();
    void ExitClick();
    void AccessWebsiteClick();
    void HelpClick();
    void Image2Click();
    //! Asked before closing: false keeps the program running.
    bool FormCloseQuery();
    void FormClose();
    //! The session is ending (logout, shutdown, SIGTERM, the display gone): the close steps
    //! run now, without the exit password and without any box. Once; later calls and a
    //! later close do nothing.
    void EndSession();
    //! The session manager's call before a logout: the change of theme and wallpaper is
    //! made now, while the desktop still runs, without any box. The logout may yet be
    //! cancelled, so the program goes on; a close soon after asks no password.
    void CommitSession();
    //! EndSession of the window of this run, if there is one (the program is ending by a
    //! path that closes nothing, such as a lost display).
    static void EndSessionOfLiveWindow();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPages();
    void BuildFeatures();
    void BuildTray();
    void BuildUpcoming();
    void ConnectTick();
    //! Aims the wake-up at the next second that needs a tick.
    void AimTick();
    //! From now to the next second that needs a tick.
    int NextDelayMs() const;
    void HideToTray();
    void HideWindow();
    void WatchForTray();

    platform::Platform& platform_;
    UiServices& ui_;
    SchedulerTick tick_;
    TickPacer pacer_;
    // Inside the tick the wake-up is aimed once the tick is over: a re-plan by a check must
    // not wake a tick nested in a box the tick opens.
    bool inTick_ = false;
    bool pacing_ = true;
    std::unique_ptr<FeatureContext> context_;
    FeatureList features_;
    // A start before the panel's tray is up falls back to the taskbar; the window moves
    // into the tray when one appears within the first minutes.
    QTimer* trayWatch_ = nullptr;
    // Sent to the taskbar for want of a tray and not taken up by the user since: it goes
    // into the tray when one appears, even if the window manager that came with the tray
    // mapped it again.
    bool minimisedForTray_ = false;
    bool closed_ = false;
    // Started by the session manager's call; the logout follows within seconds.
    QElapsedTimer sessionEnding_;
};

#pragma once

#include "platform/Platform.h"
#include "scheduler/SchedulerTick.h"
#include "scheduler/TimeText.h"
#include "settings/SettingsFile.h"
#include "ui/UiServices.h"

#include <QWidget>

#include <memory>

class AlarmClocks;
class Memorandum;
class QAction;
class QCheckBox;
class ConfineWeekShutdown;
class DestineWeekShutdown;
class EconomizePowerShutdown;
class FixedTimeShutdown;
class NetStateShutdown;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QVBoxLayout;
class RadioCatalogue;
class RadioPlayback;
class Radiotiming;
class ShutDownComputer;
class SystemRunShutdown;

//! The main window: eight tab pages hosting every feature, the tray icon, and the
//! one-second tick. It owns all feature state for the whole run.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    TMainForm(platform::Platform& platform, UiServices& ui, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Frame controls, under the names the handlers use.
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
    QTimer* CountDown = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr;
    QMenu* TrayIconPopupMenu = nullptr;
    QAction* AccessWebsite = nullptr;
    QAction* Help = nullptr;
    QAction* Exit = nullptr;
    QCheckBox* AutoRunCheckBox = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* AccessWebsiteButton = nullptr;

    // Values of the frame.
    bool StartHidden = false;
    QString ProgramDir;
    std::unique_ptr<SettingsFile> Settings;
    //! Performs the power actions the rules and the optimisation ask for.
    std::unique_ptr<ShutDownComputer> ShutDown;

    // Features, each with its controls, in-effect values, loader and check.
    std::unique_ptr<FixedTimeShutdown> FixedTimes;
    std::unique_ptr<DestineWeekShutdown> DestineWeeks;
    std::unique_ptr<ConfineWeekShutdown> ConfineWeekTimes;
    std::unique_ptr<SystemRunShutdown> SystemRunTimes;
    std::unique_ptr<EconomizePowerShutdown> EconomizePowers;
    std::unique_ptr<NetStateShutdown> NetStates;

    std::unique_ptr<AlarmClocks> Alarms;
    std::unique_ptr<Memorandum> Memoranda;
    // The radio page: catalogue, player, timings.
    std::unique_ptr<RadioCatalogue> RadioStations;
    std::unique_ptr<RadioPlayback> Radio;
    std::unique_ptr<Radiotiming> RadioTimings;

    // Clock fields, rewritten at the start of every tick.
    quint16 CurrentHour = 0;
    quint16 CurrentMinute = 0;
    quint16 CurrentSecond = 0;
    quint16 CurrentMonth = 0;

    //! The vertical layout of a tab page; features add their groups to it in order.
    static QVBoxLayout* PageLayout(QWidget* page);

    void LoadAllSettings();
    void CountDownTimer();
    void ShowTrayBalloon(const QString& text);
    //! Opens a file or an address with the desktop's "open" action.
    void ShellOpen(const QString& target);

    LocalMoment Now() const { return ReadClock(*platform_.clock); }
    platform::Platform& Os() { return platform_; }
    UiServices& Ui() { return ui_; }
    SchedulerTick& Tick() { return tick_; }

    //! Runs `body` through the guarded entry (error box, rest skipped).
    template <typename Body> bool Guard(Body&& body);

    static QString ResolveProgramDir();
    static QString WebsiteAddress();
    static QString BlogAddress();
    QString HelpFilePath() const;

    // Handlers of the frame.
    void FormResize();
    void TrayIconClick();
    void ExitClick();
    void AccessWebsiteClick();
    void HelpClick();
    void HelpButtonClick();
    void AccessWebsiteButtonClick();
    void Image1Click();
    void Image2Click();
    void Label11Click();
    void AutoRunCheckBoxClick();
    //! Asked before closing: false keeps the program running.
    bool FormCloseQuery();
    void FormClose();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPages();
    void BuildTray();
    void BuildInstallPage();
    void BuildIllustratePage();
    void ConnectTick();
    void HideToTray();

    platform::Platform& platform_;
    UiServices& ui_;
    SchedulerTick tick_;
    bool closed_ = false;
};

#include "ui/Guarded.h"

template <typename Body> bool TMainForm::Guard(Body&& body)
{
    return Guarded(ui_, std::forward<Body>(body));
}

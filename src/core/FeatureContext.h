#pragma once

#include "core/ActionLog.h"
#include "core/PowerRequests.h"
#include "core/Schedule.h"
#include "core/ServerOverrides.h"
#include "platform/Platform.h"
#include "scheduler/SchedulerTick.h"
#include "scheduler/TimeText.h"
#include "settings/SettingsFile.h"
#include "ui/Guarded.h"
#include "ui/UiServices.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QVBoxLayout;
class QLayout;
class QWidget;
class ShutDownComputer;

//! The tab pages of the main window, in their order.
enum class PageId {
    NetRadio,
    RegularShutDown,
    ClearRubbish,
    SystemTheme,
    Alarm,
    GradeFunction,
    Install,
    Illustrate,
    Count
};

//! The steps of loading at start, in the order they run. The startup programs load their
//! list early and start the listed programs later, after the blocked programs are known.
enum class LoadStep {
    PowerTasks, // the warning before a power action, known before any rule is armed
    FixedTimes,
    DestineWeeks,
    ConfineWeekTimes,
    SystemRunTimes,
    EconomizePowers,
    NetStates,
    AlarmClocks,
    Memoranda,
    AutoRunList,
    DisbleProcessList,
    RunAutoRunList,
    SafeMode,
    SystemClear,
    SystemTheme,
    HalfHourChime,
    RestReminders,
    RadioCatalogue,
    RadioTimings,
    Radio,
    AppAutoRun,
    Count
};

//! What is asked before the program exits, in this order. A false answer keeps it running.
enum class CloseQueryStep { ExitPassword, ChangeThemeOnExit, Count };

//! Everything a feature sees of the program: the settings file, the boxes, the system,
//! the power actions, the clock, the two folders, the tray balloon, the guarded entry and
//! its tab pages, and the places where it hooks its check, its loader and its close steps.
//! The main window builds one and hands it to every feature; a test builds one over fakes.
class FeatureContext {
public:
    using Pages = std::array<QWidget*, static_cast<int>(PageId::Count)>;

    FeatureContext(platform::Platform& os, UiServices& ui, SettingsFile& settings,
                   ShutDownComputer& power, SchedulerTick& tick, QWidget* window, Pages pages,
                   QString programDir, QString dataDir);

    SettingsFile& Settings() const { return settings_; }
    UiServices& Ui() const { return ui_; }
    platform::Platform& Os() const { return os_; }
    ShutDownComputer& PowerActions() const { return power_; }
    //! Where the power rules ask for their actions.
    PowerRequests& Power() const { return *requests_; }
    LocalMoment Now() const { return ReadClock(*os_.clock); }

    //! The folder of the shipped, read-only files, with a trailing '/'.
    const QString& ProgramDir() const { return programDir_; }
    //! The folder of the files the program writes (lists, logs, favourites), trailing '/'.
    const QString& DataDir() const { return dataDir_; }
    //! The servers to reach instead of the public ones, as the entry point was told.
    const ServerOverrides& Servers() const { return servers_; }
    void SetServers(ServerOverrides servers) { servers_ = std::move(servers); }

    //! The main window: parent of a feature's dialogs and of panels laid over the whole
    //! window (the lock panel).
    QWidget* Window() const { return window_; }
    QWidget* Page(PageId page) const { return pages_[static_cast<int>(page)]; }
    //! Adds a group below the ones already on the page.
    void AddToPage(PageId page, QWidget* group, int stretch = 0) const;
    void AddToPage(PageId page, QLayout* layout, int stretch = 0) const;

    //! The passive notice on the tray icon, titled as every notice of the program.
    void ShowTrayBalloon(const QString& text) const;
    //! Opens a file or an address with the desktop's "open" action.
    void ShellOpen(const QString& target) const;

    //! Adds one line to the record of what the program did, stamped with Now(): the
    //! feature's name as its page shows it, what was done, and how it ended. A record that
    //! cannot be written costs nothing more: the program goes on.
    void Log(const QString& feature, const QString& what, const QString& result) const;
    //! The record itself, for showing it. Null when the system has no code page.
    ActionLog* Actions() const { return actions_.get(); }

    //! Runs `body` through the guarded entry (error box, rest skipped, program goes on).
    template <typename Body> bool Guard(Body&& body) const
    {
        return Guarded(ui_, std::forward<Body>(body));
    }

    // Registration points. One function per slot; a later registration replaces it.
    void OnTick(TickCheck which, std::function<void()> check) const;
    //! A power rule's check: false means its power action failed. A held action of that rule
    //! that failed since its last turn counts as a failure of the check.
    void OnPowerRule(PowerRule rule, std::function<bool()> check) const;
    void OnLoad(LoadStep step, std::function<void()> load);
    void OnCloseQuery(CloseQueryStep step, std::function<bool()> query);
    //! Runs when the program stops (background work ends here), in registration order.
    void OnClose(std::function<void()> step);
    //! A feature that acts at known times. The returned id is its check's key to Due().
    int OnSchedule(Schedule schedule);
    //! True once, in the tick of the second the schedule's next occurrence falls in. Costs a
    //! comparison until that second; the answer is asked again after it, after Replan(), or
    //! when the clock has gone back. A clock that jumps over the second skips it.
    bool Due(int schedule, const LocalMoment& now) const;
    //! A feature that must look every second while `active` says so (an event rule, a guard,
    //! a playing radio, a shown window).
    void OnWatch(std::function<bool()> active);
    //! An armed event rule's line in the view of what comes next.
    void OnWaiting(std::function<void(std::vector<Waiting>& out)> waiting);
    //! A feature's times changed (armed, disarmed, a list edited), or the clock was set, or
    //! the computer resumed: every answer is asked again and the pacer re-aims.
    void Replan() const;
    //! Called by Replan(): the owner of the tick re-aims its timer.
    void SetReplanned(std::function<void()> hook) { replanned_ = std::move(hook); }
    //! The next wall-clock second after `now`'s that needs a tick: the next one while any
    //! watch is active, else the earliest planned occurrence; none when nothing is armed.
    std::optional<qint64> NextTickSecond(const LocalMoment& now) const;

    // Driven by the owner of the context.
    //! Every registered loader in LoadStep order, each under its own guard, so one feature
    //! that cannot load does not leave the later ones unloaded.
    void RunLoaders() const;
    //! False as soon as one step says no; the later ones are not asked. The exit password
    //! is asked on every attempt; a step after it that said yes (the change of theme) has
    //! done its work and is not run again in this run.
    bool RunCloseQuery() const;
    //! The session ends: nothing can keep the program running, so the exit password is not
    //! asked; every other step that has not run yet runs now, its answer ignored.
    void RunSessionEndQuery() const;
    void RunClose() const;
    //! Every feature's answer, the timed ones in time order (ties in registration order).
    UpcomingList Upcoming(const LocalMoment& from, const LocalMoment& to) const;

private:
    platform::Platform& os_;
    UiServices& ui_;
    SettingsFile& settings_;
    ShutDownComputer& power_;
    std::unique_ptr<PowerRequests> requests_;
    SchedulerTick& tick_;
    QWidget* window_;
    Pages pages_;
    QString programDir_;
    QString dataDir_;
    ServerOverrides servers_;
    std::unique_ptr<ActionLog> actions_;
    std::array<std::function<void()>, static_cast<int>(LoadStep::Count)> loaders_{};
    std::array<std::function<bool()>, static_cast<int>(CloseQueryStep::Count)> closeQueries_{};
    mutable std::array<bool, static_cast<int>(CloseQueryStep::Count)> closeQueriesDone_{};
    std::vector<std::function<void()>> closeSteps_;
    struct Planned {
        Schedule schedule;
        qint64 from = -1;  //!< the second the answer was asked for; -1: ask again
        qint64 due = -1;   //!< the answer's second; -1: none
        qint64 fired = -1; //!< the last second Due() said yes in; kept over a re-plan
    };
    //! The planned seconds: asked again as the clock passes them (so mutable).
    mutable std::vector<Planned> schedules_;
    std::vector<std::function<bool()>> watches_;
    std::vector<std::function<void(std::vector<Waiting>&)>> waiting_;
    std::function<void()> replanned_;
};

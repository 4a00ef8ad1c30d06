#include "core/FeatureContext.h"

#include "core/Occurrences.h"
#include "power/ShutDownComputer.h"

#include <QBoxLayout>
#include <QWidget>

#include <algorithm>

FeatureContext::FeatureContext(platform::Platform& os, UiServices& ui, SettingsFile& settings,
                               ShutDownComputer& power, SchedulerTick& tick, QWidget* window,
                               Pages pages, QString programDir, QString dataDir)
    : os_(os), ui_(ui), settings_(settings), power_(power),
      // The power rules' actions are recorded where they are carried out.
      requests_(std::make_unique<PowerRequests>(
          power, os.clock.get(),
          [this](const QString& feature, const QString& what, const QString& result) {
              Log(feature, what, result);
          })),
      tick_(tick), window_(window), pages_(pages), programDir_(std::move(programDir)),
      dataDir_(std::move(dataDir))
{
    if (os_.ansi)
        actions_ = std::make_unique<ActionLog>(*os_.ansi, dataDir_);
    // A failure waits for the next tick to be shown.
    OnWatch([this] { return requests_->HeldFailurePending(); });
}

namespace {

QVBoxLayout* PageLayout(QWidget* page)
{
    auto* layout = qobject_cast<QVBoxLayout*>(page->layout());
    if (!layout)
        layout = new QVBoxLayout(page);
    return layout;
}

// Each rule's turn among the tick's checks.
TickCheck CheckOf(PowerRule rule)
{
    switch (rule) {
    case PowerRule::FixedTime:
        return TickCheck::CheckFixedTime;
    case PowerRule::DestineWeek:
        return TickCheck::CheckDestineWeek;
    case PowerRule::ConfineWeek:
        return TickCheck::CheckConfineWeek;
    case PowerRule::SystemRun:
        return TickCheck::CheckSystemRun;
    case PowerRule::EconomizePower:
        return TickCheck::CheckEconomizePower;
    case PowerRule::NetState:
        return TickCheck::CheckNetState;
    }
    Q_UNREACHABLE();
    return TickCheck::CheckFixedTime;
}

} // namespace

void FeatureContext::AddToPage(PageId page, QWidget* group, int stretch) const
{
    PageLayout(Page(page))->addWidget(group, stretch);
}

void FeatureContext::AddToPage(PageId page, QLayout* layout, int stretch) const
{
    PageLayout(Page(page))->addLayout(layout, stretch);
}

void FeatureContext::ShowTrayBalloon(const QString& text) const
{
    ui_.ShowBalloon(QStringLiteral("Varnel 提醒您"), text, 5000);
}

void FeatureContext::ShellOpen(const QString& target) const
{
    if (os_.shell)
        os_.shell->open(target.toStdU16String());
}

void FeatureContext::Log(const QString& feature, const QString& what, const QString& result) const
{
    if (actions_)
        actions_->Write(Now(), feature, what, result);
}

void FeatureContext::OnTick(TickCheck which, std::function<void()> check) const
{
    tick_.SetCheck(which, std::move(check));
}

void FeatureContext::OnPowerRule(PowerRule rule, std::function<bool()> check) const
{
    // The failure of an action that waited for its countdown is reported in its rule's turn,
    // so that it too gets one box at a time.
    tick_.SetPowerRule(CheckOf(rule), [this, rule, check = std::move(check)] {
        const bool ok = check();
        return !requests_->TakeHeldFailure(rule) && ok;
    });
}

void FeatureContext::OnLoad(LoadStep step, std::function<void()> load)
{
    loaders_[static_cast<int>(step)] = std::move(load);
}

void FeatureContext::OnCloseQuery(CloseQueryStep step, std::function<bool()> query)
{
    closeQueries_[static_cast<int>(step)] = std::move(query);
}

void FeatureContext::OnClose(std::function<void()> step)
{
    closeSteps_.push_back(std::move(step));
}

void FeatureContext::RunLoaders() const
{
    for (const std::function<void()>& load : loaders_)
        if (load)
            Guard(load);
}

bool FeatureContext::RunCloseQuery() const
{
    for (std::size_t i = 0; i < closeQueries_.size(); ++i) {
        if (closeQueriesDone_[i])
            continue;
        bool go = true;
        const std::function<bool()>& query = closeQueries_[i];
        Guard([&] { go = query ? query() : true; });
        if (!go)
            return false;
        if (i != static_cast<std::size_t>(CloseQueryStep::ExitPassword))
            closeQueriesDone_[i] = true;
    }
    return true;
}

void FeatureContext::RunSessionEndQuery() const
{
    for (std::size_t i = 0; i < closeQueries_.size(); ++i) {
        if (closeQueriesDone_[i] || i == static_cast<std::size_t>(CloseQueryStep::ExitPassword))
            continue;
        closeQueriesDone_[i] = true;
        if (const std::function<bool()>& query = closeQueries_[i])
            Guard(query);
    }
}

void FeatureContext::RunClose() const
{
    for (const std::function<void()>& step : closeSteps_)
        if (step)
            Guard(step);
}

int FeatureContext::OnSchedule(Schedule schedule)
{
    schedules_.push_back({std::move(schedule)});
    return int(schedules_.size()) - 1;
}

void FeatureContext::OnWatch(std::function<bool()> active)
{
    watches_.push_back(std::move(active));
}

void FeatureContext::OnWaiting(std::function<void(std::vector<Waiting>&)> waiting)
{
    waiting_.push_back(std::move(waiting));
}

namespace {

// The schedule's answer for the second `from` on, as a second; -1 for none.
qint64 Ask(const Schedule& schedule, qint64 from)
{
    if (!schedule.nextDue)
        return -1;
    const std::optional<Occurrence> next = schedule.nextDue(Occurrences::MomentAt(from));
    return next ? std::max(SecondOf(next->when), from) : -1;
}

} // namespace

bool FeatureContext::Due(int schedule, const LocalMoment& now) const
{
    Planned& p = schedules_[schedule];
    const qint64 second = SecondOf(now);
    // Planned and still ahead (or nothing planned): the common case, a comparison.
    if (p.from >= 0 && p.from <= second && (p.due < 0 || second < p.due))
        return false;
    if (p.from < 0 || second < p.from || second > p.due) {
        // Unplanned, or the clock went back or jumped past the planned second. A re-plan
        // inside the second it acted in (a box ticked, a nested tick) must not act twice.
        const qint64 from = second == p.fired ? second + 1 : second;
        p.from = second;
        p.due = Ask(p.schedule, from);
        if (p.due != second)
            return false;
    }
    p.fired = second;
    // This second is the planned one: the next answer starts after it. A second tick in
    // the same second (a box's nested loop) finds nothing due, even after a re-plan.
    p.from = second;
    p.due = Ask(p.schedule, second + 1);
    return true;
}

void FeatureContext::Replan() const
{
    for (Planned& p : schedules_)
        p.from = -1;
    if (replanned_)
        replanned_();
}

std::optional<qint64> FeatureContext::NextTickSecond(const LocalMoment& now) const
{
    const qint64 second = SecondOf(now);
    for (const std::function<bool()>& active : watches_)
        if (active && active())
            return second + 1;
    std::optional<qint64> earliest;
    for (Planned& p : schedules_) {
        if (p.from < 0 || p.from > second || (p.due >= 0 && p.due <= second)) {
            p.from = second + 1;
            p.due = Ask(p.schedule, p.from);
        }
        if (p.due >= 0 && (!earliest || p.due < *earliest))
            earliest = p.due;
    }
    return earliest;
}

UpcomingList FeatureContext::Upcoming(const LocalMoment& from, const LocalMoment& to) const
{
    UpcomingList list;
    // Each schedule's answers one after the other, from its first at or after `from`.
    constexpr int kMostPerFeature = 500;
    const qint64 last = SecondOf(to);
    for (const Planned& p : schedules_) {
        if (!p.schedule.nextDue)
            continue;
        Guard([&] {
            std::optional<Occurrence> next = p.schedule.nextDue(from);
            for (int n = 0; next && SecondOf(next->when) <= last && n < kMostPerFeature; ++n) {
                if (next->listed) {
                    list.timed.push_back(*next);
                    if (p.schedule.nextOnly)
                        break;
                }
                next = p.schedule.nextDue(Occurrences::After(next->when, 1));
            }
        });
    }
    for (const auto& waiting : waiting_)
        if (waiting)
            Guard([&] { waiting(list.waiting); });
    std::stable_sort(list.timed.begin(), list.timed.end(),
                     [](const Occurrence& a, const Occurrence& b) {
                         return SecondOf(a.when) < SecondOf(b.when);
                     });
    return list;
}

#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>

class ShutDownComputer;
namespace platform {
class LocalClock;
}

//! The power actions, in the order of the rules' mode lists.
enum class PowerMode { ShutDown, Restart, StandBy, Hibernate, LogOff, ScreenOff };

//! The six power rules, in the order the tick checks them.
enum class PowerRule { FixedTime, DestineWeek, ConfineWeek, SystemRun, EconomizePower, NetState };
inline constexpr int kPowerRuleCount = 6;

//! What a rule is told when it asks for its action.
enum class PowerAnswer {
    Done,   //!< carried out, and the system accepted it
    Failed, //!< carried out, and the system refused it (or there is no such action)
    Held,   //!< the countdown before it runs, or waits for its turn
};

//! The action at `index` of a rule's mode list; none for anything else (-1: nothing chosen).
std::optional<PowerMode> PowerModeAt(int index);
//! 关机, 重启, 待机, 休眠, 注销, 关闭屏幕.
QString PowerModeName(PowerMode mode);
//! The rule's name as its group shows it.
QString PowerRuleName(PowerRule rule);

//! One due rule's request, and what ends this occasion when it is let go without acting (a
//! rule that counts starts its count over, a period is left alone until next time).
struct PowerRequest {
    PowerRule rule;
    PowerMode mode;
    std::function<void()> skipped;
};

//! The one way the power rules reach the power actions. A rule asks and is answered at
//! once: done, failed, or held by the warning before the action. A held request's action
//! is carried out later by the warning; if it fails, the tick hears of it from
//! TakeHeldFailure in that rule's turn, so that every failure box comes from the tick.
//! Every request and its outcome go into the record of what the program did.
class PowerRequests {
public:
    using Record =
        std::function<void(const QString& feature, const QString& what, const QString& result)>;

    //! The countdown before an action.
    class Warning {
    public:
        virtual ~Warning() = default;
        //! True when it takes the request (to count down now or after the running one).
        virtual bool Hold(PowerRequest& request) = 0;
        virtual bool Holding(PowerRule rule) const = 0;
        //! Lets a held request go without acting and without its `skipped`.
        virtual void Drop(PowerRule rule, const QString& why) = 0;
    };

    //! The warning's hold on the requests, for as long as the warning lives: made in its
    //! constructor, undone with it, so no request can reach a warning that is gone.
    class Hook {
    public:
        Hook(PowerRequests& requests, Warning& warning);
        ~Hook();
        Hook(const Hook&) = delete;
        Hook& operator=(const Hook&) = delete;

    private:
        PowerRequests& requests_;
    };

    //! `clock` may be null (no record is folded then); `record` may be empty.
    PowerRequests(ShutDownComputer& actions, const platform::LocalClock* clock, Record record);

    //! A due rule's action. A rule whose request is held already is told so again; nothing
    //! new is queued.
    PowerAnswer Ask(PowerRule rule, std::optional<PowerMode> mode,
                    std::function<void()> skipped = {});
    bool Holding(PowerRule rule) const { return warning_ && warning_->Holding(rule); }
    void Drop(PowerRule rule, const QString& why);
    //! A rule that is switched off drops its held request: nobody wants it any more.
    void DropDisarmed(PowerRule rule) { Drop(rule, QStringLiteral("已停用此任务,已取消")); }

    //! A held request's action, now (its countdown ended, or "立即执行").
    void ActHeld(const PowerRequest& request);
    //! True once for each held action of `rule` that failed since the last call.
    bool TakeHeldFailure(PowerRule rule);
    //! A held action failed and the tick has not reported it yet.
    bool HeldFailurePending() const;

    //! Writes one line of the power rules into the record.
    void Note(PowerRule rule, std::optional<PowerMode> mode, const QString& result) const;
    //! The feature name the power rules' lines carry.
    static QString FeatureName();

private:
    bool RunNow(PowerRule rule, std::optional<PowerMode> mode);

    ShutDownComputer& actions_;
    const platform::LocalClock* clock_;
    Record record_;
    Warning* warning_ = nullptr;
    std::array<bool, kPowerRuleCount> heldFailed_{};
    // A rule that asks every second (the restricted period, the run time) and gets the
    // same answer is recorded once for the run of seconds, not once a second.
    struct Last {
        qint64 second = -10;
        std::optional<PowerMode> mode;
        bool done = false;
    };
    std::array<Last, kPowerRuleCount> last_{};
};

#pragma once

#include <QString>

#include <array>
#include <functional>

namespace platform {
struct Platform;
}

//! A due power rule's request: which rule (its place among the power rules' checks,
//! 0 to 5), which action, and what ends this occasion when it is let go without acting
//! (a rule that counts starts its count over, a period is left alone until next time).
struct PowerRuleCall {
    int rule = 0;
    int mode = 0;
    std::function<void()> skipped;
};

//! Something that may hold a due rule's action back: the countdown before it.
class PowerRuleGate {
public:
    virtual ~PowerRuleGate() = default;
    //! True when the call is held (it acts later or not at all); false to act at once.
    virtual bool Hold(PowerRuleCall& call) = 0;
    //! True while a call of `rule` is held.
    virtual bool Holding(int rule) const = 0;
    //! Lets a held call of `rule` go without acting and without its `skipped`; `why` goes
    //! into the record.
    virtual void Drop(int rule, const QString& why) = 0;
};

//! Carries out one power action by PowerMode (0 关机, 1 重启, 2 待机, 3 休眠, 4 注销,
//! 5 关闭屏幕) through the system's binding. Only success or failure is reported; the
//! caller shows any message. The power rules come here through RunRule, the one place
//! where their actions are recorded and where a warning can hold them.
class ShutDownComputer {
public:
    using Record =
        std::function<void(const QString& feature, const QString& what, const QString& result)>;

    explicit ShutDownComputer(platform::Platform& platform) : platform_(platform) {}

    //! True when the system accepted the action. A mode outside 0 to 5 (a mode list with
    //! nothing selected gives -1) and a system without a power binding give false.
    bool RunPowerMode(int mode) const;

    //! A due rule's action: handed to the gate, or run at once and recorded. False only
    //! when it ran and failed.
    bool RunRule(PowerRuleCall call);
    //! A rule's action now, recorded with the system's answer.
    bool RunRuleNow(int rule, int mode);
    bool Holding(int rule) const { return gate_ && gate_->Holding(rule); }
    void Drop(int rule, const QString& why)
    {
        if (gate_)
            gate_->Drop(rule, why);
    }
    //! A rule that is switched off drops its held action: nobody wants it any more.
    void DropDisarmed(int rule) { Drop(rule, QStringLiteral("已停用此任务,已取消")); }

    void SetGate(PowerRuleGate* gate) { gate_ = gate; }
    void SetRecord(Record record) { record_ = std::move(record); }
    //! Writes one line of the power rules into the record, if there is one.
    void Note(int rule, int mode, const QString& result) const;

    //! 关机, 重启, 待机, 休眠, 注销, 关闭屏幕; empty for any other mode.
    static QString ModeName(int mode);
    //! The name of power rule `rule` as its group shows it.
    static QString RuleName(int rule);
    //! The feature name the power rules' lines carry.
    static QString FeatureName();

private:
    platform::Platform& platform_;
    PowerRuleGate* gate_ = nullptr;
    Record record_;
    // A rule that asks every second (the restricted period, the run time) and gets the
    // same answer is recorded once for the run of seconds, not once a second.
    struct Last {
        qint64 second = -10;
        int mode = -1;
        bool done = false;
    };
    std::array<Last, 6> last_{};
};

#include "reminders/ClockCalibration.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"

#include <QDateTime>

#include <cstdlib>

ClockCalibration::ClockCalibration(FeatureContext& ctx) : ctx_(ctx)
{
    ctx.OnTick(TickCheck::CalibrateClock, [this] { CalibrateClock(); });
    schedule_ = ctx.OnSchedule({[this](const LocalMoment& after) { return NextDue(after); }, true});
}

const QString& ClockCalibration::ConnectErrorText()
{
    static const QString text = QStringLiteral("网络异常:校准中国时间失败,请检查网络是否正常");
    return text;
}

const QString& ClockCalibration::NotConnectedText()
{
    static const QString text =
        QStringLiteral("连接服务器失败:校准中国时间失败,请检测网络时候正常");
    return text;
}

const QString& ClockCalibration::NotSetText()
{
    static const QString text = QStringLiteral("校准中国时间失败");
    return text;
}

QString ClockCalibration::ShiftText(qint64 ms)
{
    // Whole seconds are what the server gives; the sign says which way the clock went.
    const qint64 seconds = (ms >= 0 ? ms + 500 : ms - 500) / 1000;
    return (seconds >= 0 ? QStringLiteral("拨快 %1 秒") : QStringLiteral("拨慢 %1 秒"))
        .arg(std::llabs(seconds));
}

void ClockCalibration::CalibrateClock()
{
    if (!ctx_.Due(schedule_, ctx_.Now()))
        return;
    // A calibration still under way from the last hour is left to finish.
    if (busy_ || GetNetTime.Busy())
        return;
    busy_ = true;
    sync_ = Sync::Unknown;
    platform::SystemClockSetter* setter = ctx_.Os().clockSetter.get();
    if (!setter) {
        Fetch();
        return;
    }
    // A clock that the system's time service keeps in step is not ours to set: the system
    // would refuse, and the user would be told of a failure every hour for nothing.
    setter->querySync([this, alive = std::weak_ptr<bool>(alive_)](Sync sync) {
        if (alive.expired())
            return;
        TakeSync(sync);
        if (sync == Sync::InStep) {
            busy_ = false;
            return;
        }
        Fetch();
    });
}

void ClockCalibration::TakeSync(Sync sync)
{
    sync_ = sync;
    if (inStep_ != (sync == Sync::InStep)) {
        inStep_ = sync == Sync::InStep;
        ctx_.Replan();
    }
}

void ClockCalibration::Fetch()
{
    const auto [host, port] = NetTimeClient::ConfiguredServer(ctx_.Servers().timeServer);
    const bool started = GetNetTime.Fetch(host, port, [this](const NetTimeClient::Result& result) {
        ctx_.Guard([&] { TakeNetTime(result); });
        if (!setting_)
            busy_ = false;
    });
    if (!started)
        busy_ = false;
}

void ClockCalibration::TakeNetTime(const NetTimeClient::Result& result)
{
    using Outcome = NetTimeClient::Outcome;
    switch (result.outcome) {
    case Outcome::ConnectError:
        ctx_.ShowTrayBalloon(ConnectErrorText());
        return;
    case Outcome::NotConnected:
        ctx_.ShowTrayBalloon(NotConnectedText());
        return;
    case Outcome::ReadFailed:
        ctx_.ShowTrayBalloon(NotSetText());
        return;
    case Outcome::Time:
        break;
    }
    // The server names whole seconds: its time lies somewhere in the second it names, so
    // the middle of that second is the best guess. A clock within a second of it is left
    // alone: setting it would change nothing.
    const LocalMoment now = ctx_.Now();
    const qint64 localMs = QDateTime(now.date, now.time).toMSecsSinceEpoch();
    const qint64 serverMs = result.unixSeconds * 1000 + 500;
    if (std::llabs(localMs - serverMs) < 1000)
        return;
    const qint64 localSecond = localMs >= 0 ? localMs / 1000 : (localMs - 999) / 1000;
    const QString what = QStringLiteral("按时间服务器调整时钟 ") +
                         ShiftText((result.unixSeconds - localSecond) * 1000);
    if (sync_ == Sync::Automatic) {
        // The system's time service is on and will set the clock once it reaches its
        // server; it refuses to have the clock set meanwhile.
        ctx_.Log(QStringLiteral("校准时间"), what,
                 QStringLiteral("未调整：系统的自动同步时间已开启"));
        return;
    }
    platform::SystemClockSetter* setter = ctx_.Os().clockSetter.get();
    if (!setter) {
        TakeSetOutcome(SetOutcome::Failed, what);
        return;
    }
    setting_ = true;
    setter->setUtcMs(serverMs, [this, what, alive = std::weak_ptr<bool>(alive_)](SetOutcome o) {
        if (alive.expired())
            return;
        setting_ = false;
        busy_ = false;
        ctx_.Guard([&] { TakeSetOutcome(o, what); });
    });
}

void ClockCalibration::TakeSetOutcome(SetOutcome outcome, const QString& what)
{
    const QString feature = QStringLiteral("校准时间");
    switch (outcome) {
    case SetOutcome::Set:
        ctx_.Log(feature, what, QStringLiteral("成功"));
        toldNotAllowed_ = false;
        return;
    case SetOutcome::AutomaticSyncOn:
        ctx_.Log(feature, what, QStringLiteral("未调整：系统的自动同步时间已开启"));
        return;
    case SetOutcome::NotAllowed:
        ctx_.Log(feature, what, QStringLiteral("失败：没有设置系统时钟的权限"));
        // The same refusal would come every hour: said once a run, then only logged.
        if (!toldNotAllowed_) {
            toldNotAllowed_ = true;
            ctx_.ShowTrayBalloon(NotSetText() + QStringLiteral("：没有设置系统时钟的权限"));
        }
        return;
    case SetOutcome::Failed:
        ctx_.Log(feature, what, QStringLiteral("失败"));
        ctx_.ShowTrayBalloon(NotSetText());
        return;
    }
}

std::optional<Occurrence> ClockCalibration::NextDue(const LocalMoment& after) const
{
    const auto at = Occurrences::FirstAligned(after, Occurrences::After(after, 3600), 3600);
    return Occurrence{*at, QStringLiteral("校准时间"),
                      QStringLiteral("从时间服务器校准系统时钟（每小时）"), std::nullopt, !inStep_};
}

#include "reminders/ClockCalibration.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"

#include <QDateTime>

#include <cstdlib>

ClockCalibration::ClockCalibration(FeatureContext& ctx) : ctx_(ctx)
{
    ctx.OnTick(TickCheck::CalibrateClock, [this] { CalibrateClock(); });
    ctx.OnUpcoming([this](const LocalMoment& from, const LocalMoment& to, UpcomingList& out) {
        ListUpcoming(from, to, out);
    });
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
    const LocalMoment now = ctx_.Now();
    const QTime t = now.time;
    if (t.minute() != 0 || t.second() != 0)
        return;
    if (!once_.First(now))
        return;
    const auto [host, port] = NetTimeClient::ConfiguredServer();
    // An exchange still under way from the last hour is left to finish.
    GetNetTime.Fetch(host, port, [this](const NetTimeClient::Result& result) {
        ctx_.Guard([&] { TakeNetTime(result); });
    });
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
    // A clock within a second of the server's is left alone: setting it would change
    // nothing, and a user without the right to set it would hear of a failure every hour.
    const LocalMoment now = ctx_.Now();
    const qint64 localMs = QDateTime(now.date, now.time).toMSecsSinceEpoch();
    if (std::llabs(localMs - result.unixSeconds * 1000) < 1000)
        return;
    platform::SystemClockSetter* setter = ctx_.Os().clockSetter.get();
    const bool set = setter && setter->setUtc(result.unixSeconds);
    ctx_.Log(QStringLiteral("校准时间"),
             QStringLiteral("按时间服务器调整时钟 ") +
                 ShiftText(result.unixSeconds * 1000 - localMs),
             set ? QStringLiteral("成功") : QStringLiteral("失败"));
    if (!set)
        ctx_.ShowTrayBalloon(NotSetText());
}

void ClockCalibration::ListUpcoming(const LocalMoment& from, const LocalMoment& to,
                                    UpcomingList& out) const
{
    if (const auto at = Occurrences::FirstAligned(from, to, 3600))
        out.timed.push_back({*at, QStringLiteral("校准时间"),
                             QStringLiteral("从时间服务器校准系统时钟（每小时）")});
}

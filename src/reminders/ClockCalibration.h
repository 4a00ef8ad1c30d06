#pragma once

#include "core/OncePerSecond.h"
#include "reminders/NetTimeClient.h"

#include <QString>

class FeatureContext;
struct LocalMoment;
struct UpcomingList;

//! Sets the computer's clock from a Time Protocol server at every full hour. The exchange
//! runs on the event loop, so the tick goes on while the server is slow; failures are
//! told in tray balloons, success is silent.
class ClockCalibration {
public:
    explicit ClockCalibration(FeatureContext& ctx);

    NetTimeClient GetNetTime;

    static const QString& ConnectErrorText();
    static const QString& NotConnectedText();
    static const QString& NotSetText();
    //! How far a setting moves the clock: "拨快 3 秒", "拨慢 120 秒".
    static QString ShiftText(qint64 ms);

    void CalibrateClock();
    //! What comes next of this rule between `from` and `to`, from the values its check uses.
    void ListUpcoming(const LocalMoment& from, const LocalMoment& to, UpcomingList& out) const;
    //! What the exchange brought back: the balloon of its failure, or the clock set.
    void TakeNetTime(const NetTimeClient::Result& result);

private:
    FeatureContext& ctx_;
    OncePerSecond once_;
};

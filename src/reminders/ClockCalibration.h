#pragma once

#include "core/OncePerSecond.h"
#include "platform/SystemClockSetter.h"
#include "reminders/NetTimeClient.h"

#include <QString>

#include <memory>

class FeatureContext;
struct LocalMoment;
struct UpcomingList;

//! Sets the computer's clock from a Time Protocol server at every full hour, unless the
//! system's own time service keeps it in step. The exchange and the setting run on the event
//! loop, so the tick goes on while the server or the system is slow; failures are told in
//! tray balloons (a refusal for want of the right once a run), success is silent.
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
    //! True from the full hour until that hour's calibration has ended.
    bool Busy() const { return busy_; }

private:
    using Sync = platform::SystemClockSetter::Sync;
    using SetOutcome = platform::SystemClockSetter::Outcome;

    void Fetch();
    void TakeSetOutcome(SetOutcome outcome, const QString& what);

    FeatureContext& ctx_;
    OncePerSecond once_;
    bool busy_ = false;
    bool setting_ = false;
    // How the system said it keeps its clock, asked at the start of each calibration.
    Sync sync_ = Sync::Unknown;
    bool toldNotAllowed_ = false;
    // Answers that come after this object is gone find the token expired.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

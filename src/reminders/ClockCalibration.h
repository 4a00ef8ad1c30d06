#pragma once

#include "platform/SystemClockSetter.h"
#include "reminders/NetTimeClient.h"

#include <QString>

#include <memory>
#include <optional>

class FeatureContext;
struct LocalMoment;
struct Occurrence;

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
    //! The first full hour in the second `after` falls in or later. Not listed while the
    //! system was last found keeping the clock itself: the check only asks again then.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;
    //! What the exchange brought back: the balloon of its failure, or the clock set.
    void TakeNetTime(const NetTimeClient::Result& result);
    //! True from the full hour until that hour's calibration has ended.
    bool Busy() const { return busy_; }

private:
    using Sync = platform::SystemClockSetter::Sync;
    using SetOutcome = platform::SystemClockSetter::Outcome;

    void Fetch();
    void TakeSetOutcome(SetOutcome outcome, const QString& what);

    void TakeSync(Sync sync);

    FeatureContext& ctx_;
    int schedule_ = -1;
    bool busy_ = false;
    bool setting_ = false;
    // How the system said it keeps its clock, asked at the start of each calibration.
    Sync sync_ = Sync::Unknown;
    // The last answer of the system, kept over calibrations for the view of what comes next.
    bool inStep_ = false;
    bool toldNotAllowed_ = false;
    // Answers that come after this object is gone find the token expired.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

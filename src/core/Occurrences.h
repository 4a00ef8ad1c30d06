#pragma once

#include "scheduler/TimeText.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

//! The date arithmetic the features' answers to "what comes next" share. Moments are
//! counted in wall-clock seconds (SecondOf), the way the checks compare the clock, so an
//! answer lands in the very second the check acts in.
namespace Occurrences {

//! The clock reading of wall-clock second `second`.
LocalMoment MomentAt(qint64 second);
//! `m` moved by `seconds`, milliseconds dropped.
LocalMoment After(const LocalMoment& m, qint64 seconds);
//! True when `m` falls in a second from `from`'s up to and including `to`'s.
bool Within(const LocalMoment& m, const LocalMoment& from, const LocalMoment& to);

//! The moments at `time` on every day from `from` to `to` that `day` accepts, in order.
std::vector<LocalMoment> Daily(const LocalMoment& from, const LocalMoment& to, const QTime& time,
                               const std::function<bool(const QDate&)>& day);

//! The first second from `from` to `to` that is a whole multiple of `step` seconds into its
//! day (`step` divides a day: 1800 for the half hours, 3600 for the hours) and that `keep`,
//! when given, accepts.
std::optional<LocalMoment> FirstAligned(const LocalMoment& from, const LocalMoment& to, int step,
                                        const std::function<bool(const LocalMoment&)>& keep = {});

//! A counted time as the view shows it, in its two largest units: "45 秒", "3 分 10 秒",
//! "2 小时 5 分", "1 天 3 小时".
QString Duration(qint64 seconds);

} // namespace Occurrences

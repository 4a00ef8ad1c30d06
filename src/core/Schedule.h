#pragma once

#include "core/PowerRequests.h"
#include "scheduler/TimeText.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

//! One coming firing of an armed feature, as the view of what comes next lists it.
struct Occurrence {
    LocalMoment when;
    QString feature; //!< as its page names it: "定时关机", "闹钟", "备忘录", "定时收音" ...
    QString what; //!< what will be done: "关机", "闹钟一", the note's text ...
    //! The power action, when this is one.
    std::optional<PowerMode> powerMode;
    //! False for work the check does at that time that the user has no need to see listed
    //! (a removal of stale entries, a calibration the system makes needless): the pacer
    //! wakes for it, the view of what comes next leaves it out.
    bool listed = true;
};

//! An armed rule that waits for an event (idle time, the network, the running time), with
//! its condition and how far it has counted: "无人使用 20 分钟后关机，已计 3 分 10 秒".
struct Waiting {
    QString feature;
    QString condition;
    std::optional<PowerMode> powerMode;
};

struct UpcomingList {
    std::vector<Occurrence> timed; //!< in time order
    std::vector<Waiting> waiting;
};

//! How a feature that acts at known times says when: one answer that its check acts on, the
//! tick's pacer sleeps towards and the view of what comes next lists.
struct Schedule {
    //! The first occurrence in the second `after` falls in or later, or none. Read only from
    //! values already in memory: it is asked after every change and every occurrence.
    std::function<std::optional<Occurrence>(const LocalMoment& after)> nextDue;
    //! The view lists the next occurrence only: it stands for a run of many (the chime).
    bool nextOnly = false;
};

#pragma once

class AlarmClocks;
class ConfineWeekShutdown;
class DestineWeekShutdown;
class EconomizePowerShutdown;
class FeatureHost;
class FixedTimeShutdown;
class Memorandum;
class NetStateShutdown;
class QWidget;
class RadioCatalogue;
class RadioPlayback;
class Radiotiming;
class SystemRunShutdown;

//! The features a test host holds, under the names the window gives them; null where the
//! host was not given that feature.
struct FeatureView {
    FixedTimeShutdown* FixedTimes = nullptr;
    DestineWeekShutdown* DestineWeeks = nullptr;
    ConfineWeekShutdown* ConfineWeekTimes = nullptr;
    SystemRunShutdown* SystemRunTimes = nullptr;
    EconomizePowerShutdown* EconomizePowers = nullptr;
    NetStateShutdown* NetStates = nullptr;
    AlarmClocks* Alarms = nullptr;
    Memorandum* Memoranda = nullptr;
    RadioCatalogue* RadioStations = nullptr;
    RadioPlayback* Radio = nullptr;
    Radiotiming* RadioTimings = nullptr;
    QWidget* RegularShutDown = nullptr;
    QWidget* Alarm = nullptr;
    QWidget* Install = nullptr;
    QWidget* NetRadio = nullptr;

    static FeatureView Of(FeatureHost& host);
};

//! The features of one page, built as the window builds them, for TestEnvironment::Start.
namespace Pages {
struct PowerRules {
    static void Build(FeatureHost& host);
};
struct Reminders {
    static void Build(FeatureHost& host);
};
//! Over the environment's fake stream library.
struct Radio {
    static void Build(FeatureHost& host);
};
} // namespace Pages

//! One of Pages rather than a single feature.
template <typename T>
concept FeaturePage = requires(FeatureHost& host)
{
    T::Build(host);
};

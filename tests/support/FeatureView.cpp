#include "FeatureView.h"

#include "FeatureHost.h"

#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"
#include "radio/NetRadioLibrary.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioPlayback.h"
#include "radio/Radiotiming.h"
#include "reminders/AlarmClocks.h"
#include "reminders/Memorandum.h"

FeatureView FeatureView::Of(FeatureHost& host)
{
    FeatureView v;
    v.FixedTimes = host.Find<FixedTimeShutdown>();
    v.DestineWeeks = host.Find<DestineWeekShutdown>();
    v.ConfineWeekTimes = host.Find<ConfineWeekShutdown>();
    v.SystemRunTimes = host.Find<SystemRunShutdown>();
    v.EconomizePowers = host.Find<EconomizePowerShutdown>();
    v.NetStates = host.Find<NetStateShutdown>();
    v.Alarms = host.Find<AlarmClocks>();
    v.Memoranda = host.Find<Memorandum>();
    v.RadioStations = host.Find<RadioCatalogue>();
    v.Radio = host.Find<RadioPlayback>();
    v.RadioTimings = host.Find<Radiotiming>();
    FeatureContext& c = host.Context();
    v.RegularShutDown = c.Page(PageId::RegularShutDown);
    v.Alarm = c.Page(PageId::Alarm);
    v.Install = c.Page(PageId::Install);
    v.NetRadio = c.Page(PageId::NetRadio);
    return v;
}

namespace Pages {

void PowerRules::Build(FeatureHost& host)
{
    host.Add<FixedTimeShutdown>();
    host.Add<DestineWeekShutdown>();
    host.Add<ConfineWeekShutdown>();
    host.Add<SystemRunShutdown>();
    host.Add<EconomizePowerShutdown>();
    host.Add<NetStateShutdown>();
}

void Reminders::Build(FeatureHost& host)
{
    AlarmClocks& alarms = host.Add<AlarmClocks>();
    host.Add<Memorandum>(alarms);
}

void Radio::Build(FeatureHost& host)
{
    RadioCatalogue& stations = host.Add<RadioCatalogue>();
    RadioPlayback& radio = host.Add<RadioPlayback>(stations, CreateNetRadioLibrary());
    host.Add<Radiotiming>(stations, radio);
}

} // namespace Pages

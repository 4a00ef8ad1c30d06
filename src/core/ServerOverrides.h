#pragma once

#include <QString>

//! The servers the features reach over the network, where they are not the public ones:
//! tests and measurements point them at loopback. The entry point reads them from the
//! environment once; an empty field means the feature's own default.
struct ServerOverrides {
    //! The host the network rule sends its echo requests to (QUORLIN_PROBE_HOST).
    QString probeHost;
    //! "host[:port]" of the time server the hourly calibration asks (QUORLIN_TIME_SERVER).
    QString timeServer;
    //! The page the weather strip loads when its file names none (QUORLIN_WEATHER_PAGE).
    QString weatherPage;
};

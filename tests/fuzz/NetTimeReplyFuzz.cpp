// Any bytes as a time server's reply, after any round trip: the first eight bytes give the
// round trip in milliseconds, the rest is what the server sent. A time comes back only from
// four bytes or more, is never before 2026, and depends on nothing past the fourth byte.
// The same bytes as the configured server's text give a usable host and port or nothing.
#include "FuzzSupport.h"

#include "reminders/NetTimeClient.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qint64 roundTripMs = 0;
    const std::size_t head = std::min<std::size_t>(size, sizeof roundTripMs);
    std::memcpy(&roundTripMs, data, head);
    const QByteArray reply(reinterpret_cast<const char*>(data + head), qsizetype(size - head));

    using Outcome = NetTimeClient::Outcome;
    const NetTimeClient::Result result = NetTimeClient::ResultOf(reply, roundTripMs);
    fuzz::check(result.outcome == Outcome::Time || result.outcome == Outcome::ReadFailed);
    if (reply.size() < 4)
        fuzz::check(result.outcome == Outcome::ReadFailed);
    if (result.outcome == Outcome::Time) {
        fuzz::check(result.unixSeconds >= 1767225600LL);
        // The latest count of the 2036 era, plus half the longest round trip.
        fuzz::check(result.unixSeconds <=
                    0x17FFFFFFFLL - 2208988800LL + std::max<qint64>(roundTripMs, 0) / 2000);
    } else {
        fuzz::check(result.unixSeconds == 0);
    }
    const NetTimeClient::Result first4 = NetTimeClient::ResultOf(reply.left(4), roundTripMs);
    fuzz::check(first4.outcome == result.outcome && first4.unixSeconds == result.unixSeconds);

    if (const auto server = NetTimeClient::ParseServer(
            QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)))) {
        fuzz::check(!server->first.isEmpty() && server->second != 0);
    }
    return 0;
}

#pragma once

#include <cstdint>

namespace platform {

//! One ICMP echo request over IPv4.
class IcmpEcho {
public:
    enum class Outcome { Reply, TimedOut, Error, Other };
    virtual ~IcmpEcho() = default;
    //! Sends `payloadBytes` of data to `ipv4` (host byte order) and waits up to `timeoutMs`.
    //! Throws std::runtime_error when no request can be sent at all.
    virtual Outcome echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes) = 0;
};

} // namespace platform

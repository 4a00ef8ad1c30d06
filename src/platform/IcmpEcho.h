#pragma once

#include <cstdint>
#include <stdexcept>

namespace platform {

//! One ICMP echo request over IPv4.
class IcmpEcho {
public:
    enum class Outcome { Reply, TimedOut, Error, Other };

    //! This process may not send echo requests at all (no ping or raw socket for it, a
    //! local rule refuses them): the network may well be fine, nothing was learned about it.
    class CannotSend : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    virtual ~IcmpEcho() = default;
    //! Sends `payloadBytes` of data to `ipv4` (host byte order) and waits up to `timeoutMs`.
    //! Throws CannotSend when this process may not send requests, std::runtime_error when
    //! the request cannot leave for want of a network (no route).
    virtual Outcome echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes) = 0;
    //! Whether this process may send requests at all; sends nothing, cheap enough for arming.
    virtual bool canSend() = 0;
};

} // namespace platform

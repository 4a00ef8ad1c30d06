#pragma once

#include "platform/IcmpEcho.h"

#include <atomic>

namespace platform {

//! ICMP echo over an unprivileged ping socket, or a raw socket where ping sockets are
//! not permitted (net.ipv4.ping_group_range) and the process may open raw ones.
class LinuxIcmpEcho : public IcmpEcho {
public:
    enum class Socket { Any, Ping, Raw };

    explicit LinuxIcmpEcho(Socket kind = Socket::Any) : kind_(kind) {}
    Outcome echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes) override;
    //! Whether a socket of the kind asked for can be opened.
    bool canSend() override;

private:
    Socket kind_;
    std::atomic<unsigned> serial_{0};
};

} // namespace platform

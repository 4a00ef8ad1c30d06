#pragma once

#include "platform/IcmpEcho.h"

namespace platform {

//! ICMP echo through IcmpSendEcho (iphlpapi), which needs no privilege.
class WinIcmpEcho : public IcmpEcho {
public:
    Outcome echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes) override;
    //! Whether an ICMP handle can be had.
    bool canSend() override;

    //! How an IP_STATUS code of a finished request reads.
    static Outcome OutcomeOf(unsigned long status);
};

} // namespace platform

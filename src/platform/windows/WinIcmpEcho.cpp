#include "WinIcmpEcho.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

namespace {

struct IcmpHandle {
    HANDLE h = IcmpCreateFile();
    ~IcmpHandle()
    {
        if (h != INVALID_HANDLE_VALUE)
            IcmpCloseHandle(h);
    }
};

} // namespace

IcmpEcho::Outcome WinIcmpEcho::OutcomeOf(unsigned long status)
{
    switch (status) {
    case IP_SUCCESS:
        return Outcome::Reply;
    case IP_REQ_TIMED_OUT:
        return Outcome::TimedOut;
    case IP_DEST_NET_UNREACHABLE:
    case IP_DEST_HOST_UNREACHABLE:
    case IP_DEST_PROT_UNREACHABLE:
    case IP_DEST_PORT_UNREACHABLE:
    case IP_TTL_EXPIRED_TRANSIT:
    case IP_TTL_EXPIRED_REASSEM:
    case IP_PARAM_PROBLEM:
    case IP_SOURCE_QUENCH:
    case IP_BAD_ROUTE:
    case IP_BAD_DESTINATION:
        return Outcome::Other;
    default:
        return Outcome::Error;
    }
}

bool WinIcmpEcho::canSend()
{
    IcmpHandle icmp;
    return icmp.h != INVALID_HANDLE_VALUE;
}

IcmpEcho::Outcome WinIcmpEcho::echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes)
{
    IcmpHandle icmp;
    if (icmp.h == INVALID_HANDLE_VALUE)
        throw CannotSend("IcmpCreateFile failed: " + std::to_string(GetLastError()));

    std::vector<char> payload(payloadBytes, 0);
    // Room for one reply, its data and the 8 bytes of an ICMP error the API asks for.
    std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + payloadBytes + 8 + 64);
    const IPAddr to = htonl(ipv4);
    const DWORD answers = IcmpSendEcho(icmp.h, to, payload.data(), WORD(payload.size()), nullptr,
                                       reply.data(), DWORD(reply.size()), timeoutMs);
    if (answers > 0)
        return OutcomeOf(reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data())->Status);

    const DWORD error = GetLastError();
    // IP_STATUS codes say how the request ended; anything else means it never left.
    if (error >= IP_STATUS_BASE && error <= IP_STATUS_BASE + 50)
        return OutcomeOf(error);
    if (error == ERROR_ACCESS_DENIED)
        throw CannotSend("IcmpSendEcho refused: " + std::to_string(error));
    throw std::runtime_error("IcmpSendEcho failed: " + std::to_string(error));
}

} // namespace platform

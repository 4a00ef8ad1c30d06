#include "LinuxIcmpEcho.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

[[noreturn]] void fail(const char* what, int err)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(err));
}

// No socket at all, for want of the right or of resources, says nothing about the network.
[[noreturn]] void cannotSend(const char* what, int err)
{
    throw IcmpEcho::CannotSend(std::string(what) + ": " + std::strerror(err));
}

std::uint16_t checksum(const unsigned char* data, std::size_t size)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        sum += std::uint32_t(data[i]) << 8 | data[i + 1];
    if (size & 1)
        sum += std::uint32_t(data[size - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return htons(static_cast<std::uint16_t>(~sum));
}

int openSocket(LinuxIcmpEcho::Socket kind, bool& raw)
{
    if (kind != LinuxIcmpEcho::Socket::Raw) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            raw = false;
            return fd;
        }
        if (kind == LinuxIcmpEcho::Socket::Ping)
            cannotSend("ping socket", errno);
    }
    const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0)
        cannotSend("ICMP socket", errno);
    raw = true;
    return fd;
}

// ICMP types that answer for an unreachable or misrouted request rather than a lost one.
bool isOtherAnswer(int type)
{
    return type == ICMP_DEST_UNREACH || type == ICMP_TIME_EXCEEDED || type == ICMP_PARAMETERPROB ||
           type == ICMP_SOURCE_QUENCH || type == ICMP_REDIRECT;
}

} // namespace

bool LinuxIcmpEcho::canSend()
{
    bool raw = false;
    try {
        Fd sock{openSocket(kind_, raw)};
        return true;
    } catch (const CannotSend&) {
        return false;
    }
}

IcmpEcho::Outcome LinuxIcmpEcho::echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes)
{
    bool raw = false;
    Fd sock{openSocket(kind_, raw)};
    const int on = 1;
    // Ping sockets report ICMP errors only through the error queue.
    if (!raw)
        ::setsockopt(sock.fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);

    // Raw sockets see every ICMP packet of the host: our identifier picks out our answers.
    // Ping sockets get their identifier from the kernel.
    const std::uint16_t id = static_cast<std::uint16_t>(
        (::getpid() << 4) ^ serial_.fetch_add(1, std::memory_order_relaxed));
    const std::uint16_t sequence = 0;

    std::vector<unsigned char> request(sizeof(icmphdr) + payloadBytes, 0);
    auto* header = reinterpret_cast<icmphdr*>(request.data());
    header->type = ICMP_ECHO;
    header->code = 0;
    header->un.echo.id = htons(id);
    header->un.echo.sequence = htons(sequence);
    header->checksum = checksum(request.data(), request.size());

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(ipv4);
    if (::sendto(sock.fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to) < 0) {
        // A local firewall rule answers EPERM; no route and the like are the network's.
        const int err = errno;
        if (err == EPERM || err == EACCES)
            cannotSend("send echo request", err);
        fail("send echo request", err);
    }

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    alignas(8) unsigned char buffer[1500];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return Outcome::TimedOut;
        pollfd p{sock.fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left.count()));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Outcome::Error;
        }
        if (ready == 0)
            return Outcome::TimedOut;

        if (p.revents & POLLERR) {
            // An ICMP error for our request (ping sockets only).
            char control[512];
            msghdr msg{};
            iovec iov{buffer, sizeof buffer};
            msg.msg_iov = &iov;
            msg.msg_iovlen = 1;
            msg.msg_control = control;
            msg.msg_controllen = sizeof control;
            if (::recvmsg(sock.fd, &msg, MSG_ERRQUEUE) < 0)
                return Outcome::Error;
            for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR)
                    continue;
                sock_extended_err err{};
                std::memcpy(&err, CMSG_DATA(c), sizeof err);
                if (err.ee_origin == SO_EE_ORIGIN_ICMP)
                    return Outcome::Other;
            }
            return Outcome::Error;
        }

        const ssize_t got = ::recv(sock.fd, buffer, sizeof buffer, 0);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return Outcome::Error;
        }
        std::size_t offset = 0;
        if (raw) {
            if (got < ssize_t(sizeof(iphdr)))
                continue;
            offset = std::size_t(reinterpret_cast<const iphdr*>(buffer)->ihl) * 4;
        }
        if (std::size_t(got) < offset + sizeof(icmphdr))
            continue;
        const auto* answer = reinterpret_cast<const icmphdr*>(buffer + offset);
        if (!raw) {
            // The kernel hands a ping socket only the answers to its own requests.
            if (answer->type == ICMP_ECHOREPLY && ntohs(answer->un.echo.sequence) == sequence)
                return Outcome::Reply;
            continue;
        }
        if (answer->type == ICMP_ECHOREPLY) {
            if (ntohs(answer->un.echo.id) == id && ntohs(answer->un.echo.sequence) == sequence)
                return Outcome::Reply;
            continue;
        }
        if (isOtherAnswer(answer->type)) {
            // The error quotes the IP header and the first 8 bytes of the request.
            const std::size_t quoted = offset + sizeof(icmphdr);
            if (std::size_t(got) < quoted + sizeof(iphdr))
                continue;
            const auto* inner = reinterpret_cast<const iphdr*>(buffer + quoted);
            const std::size_t innerIcmp = quoted + std::size_t(inner->ihl) * 4;
            if (std::size_t(got) < innerIcmp + sizeof(icmphdr) || inner->protocol != IPPROTO_ICMP)
                continue;
            const auto* ours = reinterpret_cast<const icmphdr*>(buffer + innerIcmp);
            if (ours->type == ICMP_ECHO && ntohs(ours->un.echo.id) == id)
                return Outcome::Other;
        }
        // Anything else (our own request seen on loopback, other programs' traffic): wait on.
    }
}

} // namespace platform

#ifdef _WIN32
#include "platform/windows/WinIcmpEcho.h"
#else
#include "platform/linux/LinuxIcmpEcho.h"
#endif

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<platform::IcmpEcho> icmp()
{
#ifdef _WIN32
    return std::make_unique<platform::WinIcmpEcho>();
#else
    return std::make_unique<platform::LinuxIcmpEcho>();
#endif
}

// Loopback only: nothing here leaves the machine.
TEST(IcmpEcho, LoopbackAnswersAnEchoRequest)
{
    auto echo = icmp();
    platform::IcmpEcho::Outcome outcome{};
    try {
        outcome = echo->echo(0x7F000001, 200, 32);
    } catch (const std::runtime_error& e) {
        // Neither ping sockets (net.ipv4.ping_group_range) nor raw sockets are allowed here.
        GTEST_SKIP() << e.what();
    }
    EXPECT_EQ(outcome, platform::IcmpEcho::Outcome::Reply);
}

} // namespace

#include "PlatformUnderTest.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Loopback only: nothing here leaves the machine.
TEST(IcmpEcho, LoopbackAnswersAnEchoRequest)
{
    under_test::IcmpEcho echo;
    platform::IcmpEcho::Outcome outcome{};
    try {
        outcome = echo.echo(0x7F000001, 200, 32);
    } catch (const std::runtime_error& e) {
        // Neither ping sockets (net.ipv4.ping_group_range) nor raw sockets are allowed here.
        GTEST_SKIP() << e.what();
    }
    EXPECT_EQ(outcome, platform::IcmpEcho::Outcome::Reply);
}

} // namespace

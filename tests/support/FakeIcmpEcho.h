#pragma once

#include "platform/IcmpEcho.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

//! An ICMP client whose outcome the test sets; safe to drive from the worker thread.
class FakeIcmpEcho : public platform::IcmpEcho {
public:
    //! Raise stands for a request that cannot be sent (no route, no socket).
    enum class Answer { Reply, TimedOut, Error, Other, Raise };

    std::atomic<Answer> answer{Answer::Reply};
    std::atomic<int> probes{0};
    std::atomic<std::uint32_t> lastAddress{0};
    std::atomic<unsigned> lastTimeoutMs{0};
    std::atomic<unsigned> lastPayload{0};
    //! How long one probe takes.
    std::atomic<int> delayMs{0};

    Outcome echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes) override
    {
        lastAddress = ipv4;
        lastTimeoutMs = timeoutMs;
        lastPayload = payloadBytes;
        if (const int ms = delayMs.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        ++probes;
        switch (answer.load()) {
        case Answer::Reply:
            return Outcome::Reply;
        case Answer::TimedOut:
            return Outcome::TimedOut;
        case Answer::Error:
            return Outcome::Error;
        case Answer::Other:
            return Outcome::Other;
        case Answer::Raise:
            break;
        }
        throw std::runtime_error("no route to host");
    }

    //! Waits until at least `count` probes have run; false after `limit`.
    bool WaitForProbes(int count, std::chrono::milliseconds limit = std::chrono::seconds(5)) const
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (probes.load() < count) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
};

#pragma once

#include "platform/IcmpEcho.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

//! An ICMP client whose outcome the test sets; safe to drive from the worker thread.
class FakeIcmpEcho : public platform::IcmpEcho {
public:
    using Clock = std::chrono::steady_clock;
    //! Raise stands for a request that finds no network (no route); Refuse for one this
    //! process may not send (no socket right).
    enum class Answer { Reply, TimedOut, Error, Other, Raise, Refuse };

    std::atomic<Answer> answer{Answer::Reply};
    std::atomic<bool> sendable{true};
    std::atomic<int> probes{0};
    std::atomic<std::uint32_t> lastAddress{0};
    std::atomic<unsigned> lastTimeoutMs{0};
    std::atomic<unsigned> lastPayload{0};
    //! How long one probe takes.
    std::atomic<int> delayMs{0};

    bool canSend() override { return sendable; }

    Outcome echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes) override
    {
        {
            std::lock_guard lock(mutex_);
            starts_.push_back(Clock::now());
        }
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
        case Answer::Refuse:
            throw CannotSend("ping socket: Permission denied");
        }
        throw std::runtime_error("no route to host");
    }

    //! When each probe began.
    std::vector<Clock::time_point> Starts() const
    {
        std::lock_guard lock(mutex_);
        return starts_;
    }

    //! Waits until `done` holds; false after `limit`.
    template <typename Done>
    static bool WaitUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        const auto end = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    //! Waits until at least `count` probes have ended.
    bool WaitForProbes(int count, std::chrono::milliseconds limit = std::chrono::seconds(10)) const
    {
        return WaitUntil([&] { return probes.load() >= count; }, limit);
    }
    //! Waits until at least `count` probes have begun.
    bool WaitForStarts(int count) const
    {
        return WaitUntil([&] { return int(Starts().size()) >= count; });
    }

private:
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> starts_;
};

#include "power/Netstatethread.h"

#include <stdexcept>

using Outcome = platform::IcmpEcho::Outcome;

NetState::NetState(platform::IcmpEcho& icmp, std::atomic<int>& failures, Resolver resolve,
                   std::chrono::milliseconds interval)
    : icmp_(icmp), failures_(failures), resolve_(std::move(resolve)), interval_(interval)
{
}

NetState::~NetState()
{
    Stop();
}

void NetState::Start()
{
    if (thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this] { Execute(); });
}

void NetState::Stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void NetState::ReplyHandler(Outcome outcome)
{
    if (outcome == Outcome::Error || outcome == Outcome::TimedOut)
        failures_.fetch_add(1, std::memory_order_relaxed);
    else
        failures_.store(0, std::memory_order_relaxed);
}

bool NetState::WaitUntil(std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, until, [this] { return stopping_; });
}

void NetState::Execute()
{
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        const auto started = std::chrono::steady_clock::now();
        bool raised = false;
        try {
            if (!address_)
                address_ = resolve_ ? resolve_() : std::nullopt;
            if (!address_)
                throw std::runtime_error("probe host not found");
            const Outcome outcome = icmp_.echo(*address_, kTimeoutMs, kPacketSize);
            cannotSend_.store(false, std::memory_order_relaxed);
            ReplyHandler(outcome);
        } catch (const platform::IcmpEcho::CannotSend&) {
            // Not an outage: nothing was learned about the network.
            cannotSend_.store(true, std::memory_order_relaxed);
        } catch (...) {
            cannotSend_.store(false, std::memory_order_relaxed);
            // Look the host up again after a failed send: the network may have changed.
            address_.reset();
            raised = true;
        }
        if (!WaitUntil(started + interval_))
            return;
        // A request that found no network (no route, no address) counts after its pause.
        if (raised)
            failures_.fetch_add(1, std::memory_order_relaxed);
    }
}

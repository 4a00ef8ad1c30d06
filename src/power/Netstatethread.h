#pragma once

#include "platform/IcmpEcho.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

//! The network-state worker: probes the probe host with ICMP echo requests and counts
//! consecutive failed probes in a counter it shares with the tick. Any answer, even
//! "destination unreachable", sets the count back to 0. A request this process may not
//! send at all counts nothing: it only raises the flag CannotSend() until one is sent.
//!
//! Probes start at least `interval` apart, so on a healthy network the host sees one
//! request a second, and each failure stands for about one second of outage.
class NetState {
public:
    //! The probe host's IPv4 address (host byte order); nothing when it cannot be found.
    using Resolver = std::function<std::optional<std::uint32_t>()>;

    static constexpr unsigned kTimeoutMs = 200;
    static constexpr unsigned kPacketSize = 32;

    NetState(platform::IcmpEcho& icmp, std::atomic<int>& failures, Resolver resolve,
             std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
    ~NetState();
    NetState(const NetState&) = delete;
    NetState& operator=(const NetState&) = delete;

    void Start();
    //! Asks the worker to stop and waits for its current probe to end.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    //! The outcome of one probe (called on the worker thread).
    void ReplyHandler(platform::IcmpEcho::Outcome outcome);

    //! True while the last probe could not be sent for want of the right to send.
    bool CannotSend() const { return cannotSend_.load(std::memory_order_relaxed); }

private:
    void Execute();
    //! Sleeps until `until` or a stop request; false when asked to stop.
    bool WaitUntil(std::chrono::steady_clock::time_point until);

    platform::IcmpEcho& icmp_;
    std::atomic<int>& failures_;
    Resolver resolve_;
    std::chrono::milliseconds interval_;
    std::optional<std::uint32_t> address_;
    std::atomic<bool> cannotSend_{false};

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

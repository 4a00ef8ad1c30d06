#pragma once

#include "power/AmountRule.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

class NetState;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class FeatureContext;

//! The network-state mode "智能网络模式": a power action when the network has been
//! unreachable for a set time. The `NetState` worker counts failed probes, about one a
//! second; the tick compares the count with the set time in seconds.
class NetStateShutdown : public QObject {
    Q_OBJECT
public:
    explicit NetStateShutdown(FeatureContext& ctx);
    ~NetStateShutdown() override;

    QGroupBox* NetStateGroupBox = nullptr;
    QCheckBox* NetStateCheckBox = nullptr;
    QLineEdit* NetStateMaskEdit = nullptr;
    QComboBox* NetStateComboBox = nullptr;
    QComboBox* NetStateShutDownComboBox = nullptr;

    //! The inputs' settings keys and the values in effect while armed.
    AmountRule Rule;
    //! Consecutive failed probes; the worker adds and resets, the tick reads and resets.
    std::atomic<int> NetStateFailures{0};
    //! The worker, while armed.
    std::unique_ptr<NetState> Worker;
    //! Time from the start of one probe to the start of the next.
    std::chrono::milliseconds ProbeInterval{1000};

    //! The host probed: a public resolver that answers echo requests, or the address in
    //! QUORLIN_PROBE_HOST.
    static QString ProbeHost();
    //! The IPv4 address of `host`, a dotted address or a name looked up (blocking).
    static std::optional<std::uint32_t> ResolveIpv4(const QString& host);

    void LoadNetStates();
    void SaveNetStates();
    void NetStateCheckBoxClick();
    //! False when the outage is long enough and the power action failed, or the unit is
    //! unknown.
    bool CheckNetState();
    //! Stops the worker and waits for its probe to end.
    void StopWorker();

private:
    FeatureContext& ctx_;
    //! The balloon about probes that cannot be sent has been shown for this spell.
    bool pausedShown_ = false;
};

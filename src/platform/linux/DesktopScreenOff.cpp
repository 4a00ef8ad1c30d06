#include "DesktopScreenOff.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace platform {

namespace {

const QString kDisplayConfig = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString kDisplayConfigPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
const QString kIdleMonitor = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kIdleMonitorPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");

const QString kPowerManagement = QStringLiteral("org.kde.Solid.PowerManagement");
const QString kDpmsPath = QStringLiteral("/org/kde/Solid/PowerManagement/Actions/DPMSControl");
const QString kDpms = QStringLiteral("org.kde.Solid.PowerManagement.Actions.DPMSControl");

// Mutter's power-save levels.
constexpr int kPowerOn = 0;
constexpr int kPowerOff = 3;

} // namespace

MutterScreenOff::MutterScreenOff(QString busAddress)
    : bus_(QStringLiteral("mutter-power"), std::move(busAddress))
{
}

MutterScreenOff::~MutterScreenOff() = default;

bool MutterScreenOff::available()
{
    return bus_.Has(kDisplayConfig);
}

void MutterScreenOff::SetPowerSaveMode(int mode)
{
    QDBusMessage set = QDBusMessage::createMethodCall(
        kDisplayConfig, kDisplayConfigPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Set"));
    set.setArguments(
        {kDisplayConfig, QStringLiteral("PowerSaveMode"), QVariant::fromValue(QDBusVariant(mode))});
    // Not waited for: the window must not hang on a busy compositor.
    bus_.Connection().asyncCall(set);
}

bool MutterScreenOff::turnOff()
{
    QDBusConnection bus = bus_.Connection();
    if (!bus.isConnected())
        return false;
    if (!listening_)
        listening_ = bus.connect(kIdleMonitor, kIdleMonitorPath, kIdleMonitor,
                                 QStringLiteral("WatchFired"), this, SLOT(WatchFired(uint)));
    // The watch is asked for before the screen goes dark, so no input falls between.
    const QDBusMessage watch = QDBusMessage::createMethodCall(
        kIdleMonitor, kIdleMonitorPath, kIdleMonitor, QStringLiteral("AddUserActiveWatch"));
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(watch), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<uint> reply = *call;
                if (reply.isValid())
                    activeWatch_ = reply.value();
                call->deleteLater();
            });
    SetPowerSaveMode(kPowerOff);
    return true;
}

void MutterScreenOff::WatchFired(uint id)
{
    if (id == 0 || id != activeWatch_)
        return;
    // An active watch fires once and is gone.
    activeWatch_ = 0;
    SetPowerSaveMode(kPowerOn);
}

KdeScreenOff::KdeScreenOff(QString busAddress)
    : bus_(QStringLiteral("kde-power"), std::move(busAddress))
{
}

bool KdeScreenOff::available()
{
    if (!bus_.Has(kPowerManagement))
        return false;
    // The display control is an action the service may leave out (no screens it can drive).
    const QDBusMessage reply = bus_.Connection().call(
        QDBusMessage::createMethodCall(kPowerManagement, kDpmsPath,
                                       QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                       QStringLiteral("Introspect")),
        QDBus::Block, kDesktopCallMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toString().contains(kDpms);
}

bool KdeScreenOff::turnOff()
{
    QDBusConnection bus = bus_.Connection();
    if (!bus.isConnected())
        return false;
    // KWin switches the screen on again at the next input by itself.
    bus.asyncCall(QDBusMessage::createMethodCall(kPowerManagement, kDpmsPath, kDpms,
                                                 QStringLiteral("turnOff")));
    return true;
}

} // namespace platform

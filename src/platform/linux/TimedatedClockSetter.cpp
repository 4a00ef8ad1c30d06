#include "TimedatedClockSetter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QVariantMap>

namespace platform {

namespace {

// timedated answers at once unless polkit is asked, and interactive=false means it is not
// asked to prompt; a hung service must not keep a call open for the bus's 25 seconds.
constexpr int kTimeoutMs = 3000;

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");

QDBusMessage SetTimeCall(std::int64_t microseconds)
{
    QDBusMessage msg =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("SetTime"));
    // Microseconds since the epoch, absolute (relative=false), no prompt (interactive=false).
    msg.setArguments({QVariant::fromValue(qint64(microseconds)), false, false});
    return msg;
}

} // namespace

TimedatedClockSetter::TimedatedClockSetter() : TimedatedClockSetter(QString()) {}

TimedatedClockSetter::TimedatedClockSetter(QString busAddress)
    : bus_(QStringLiteral("timedated"), std::move(busAddress)), calls_(std::make_unique<QObject>())
{
}

TimedatedClockSetter::~TimedatedClockSetter() = default;

bool TimedatedClockSetter::setUtc(std::int64_t secondsSinceEpoch)
{
    const QDBusConnection connection = bus_.Connection();
    if (!connection.isConnected())
        return false;
    return connection.call(SetTimeCall(secondsSinceEpoch * 1000000), QDBus::Block, kTimeoutMs)
               .type() == QDBusMessage::ReplyMessage;
}

void TimedatedClockSetter::querySync(SyncAnswer answer)
{
    const QDBusConnection connection = bus_.Connection();
    if (!connection.isConnected()) {
        answer(Sync::Unknown);
        return;
    }
    QDBusMessage msg = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    msg.setArguments({kService});
    auto* watcher =
        new QDBusPendingCallWatcher(connection.asyncCall(msg, kTimeoutMs), calls_.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, calls_.get(),
                     [answer = std::move(answer)](QDBusPendingCallWatcher* call) {
                         call->deleteLater();
                         const QDBusPendingReply<QVariantMap> reply = *call;
                         if (reply.isError()) {
                             answer(Sync::Unknown);
                             return;
                         }
                         const QVariantMap properties = reply.value();
                         // NTPSynchronized is the kernel's word that some time service
                         // (timesyncd, chrony, ntpd) keeps the clock, whoever started it.
                         if (properties.value(QStringLiteral("NTPSynchronized")).toBool())
                             answer(Sync::InStep);
                         else if (properties.value(QStringLiteral("NTP")).toBool())
                             answer(Sync::Automatic);
                         else
                             answer(Sync::Unknown);
                     });
}

void TimedatedClockSetter::setUtcMs(std::int64_t msSinceEpoch, Done done)
{
    const QDBusConnection connection = bus_.Connection();
    if (!connection.isConnected()) {
        done(Outcome::Failed);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        connection.asyncCall(SetTimeCall(msSinceEpoch * 1000), kTimeoutMs), calls_.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, calls_.get(),
                     [done = std::move(done)](QDBusPendingCallWatcher* call) {
                         call->deleteLater();
                         done(call->isError() ? OutcomeOfError(call->error().name())
                                              : Outcome::Set);
                     });
}

SystemClockSetter::Outcome TimedatedClockSetter::OutcomeOfError(const QString& errorName)
{
    if (errorName == QLatin1String("org.freedesktop.timedate1.AutomaticTimeSyncEnabled"))
        return Outcome::AutomaticSyncOn;
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") ||
        errorName == QLatin1String("org.freedesktop.PolicyKit1.Error.NotAuthorized"))
        return Outcome::NotAllowed;
    return Outcome::Failed;
}

} // namespace platform

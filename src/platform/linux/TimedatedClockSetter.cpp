#include "TimedatedClockSetter.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <atomic>

namespace platform {

namespace {

// timedated answers at once unless polkit is asked, and interactive=false means it is not
// asked to prompt; a hung service must not hold the window for the bus's 25 seconds.
constexpr int kTimeoutMs = 3000;

} // namespace

TimedatedClockSetter::TimedatedClockSetter() : TimedatedClockSetter(QString()) {}

TimedatedClockSetter::TimedatedClockSetter(QString busAddress) : busAddress_(std::move(busAddress))
{
    static std::atomic<int> serial{0};
    connectionName_ = QStringLiteral("quorlin-timedated-%1").arg(++serial);
}

TimedatedClockSetter::~TimedatedClockSetter()
{
    QDBusConnection::disconnectFromBus(connectionName_);
}

QDBusConnection TimedatedClockSetter::bus() const
{
    QDBusConnection connection =
        busAddress_.isEmpty()
            ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName_)
            : QDBusConnection::connectToBus(busAddress_, connectionName_);
    // A bus that was not there at the last attempt may be there at the next one.
    if (!connection.isConnected())
        QDBusConnection::disconnectFromBus(connectionName_);
    return connection;
}

bool TimedatedClockSetter::setUtc(std::int64_t secondsSinceEpoch)
{
    const QDBusConnection connection = bus();
    if (!connection.isConnected())
        return false;
    QDBusMessage msg = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Microseconds since the epoch, absolute (relative=false), no prompt (interactive=false).
    msg.setArguments({QVariant::fromValue(qint64(secondsSinceEpoch) * 1000000), false, false});
    return connection.call(msg, QDBus::Block, kTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace platform

#include "TimedatedClockSetter.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace platform {

namespace {

// timedated answers at once unless polkit is asked, and interactive=false means it is not
// asked to prompt; a hung service must not hold the window for the bus's 25 seconds.
constexpr int kTimeoutMs = 3000;

} // namespace

TimedatedClockSetter::TimedatedClockSetter() : TimedatedClockSetter(QString()) {}

TimedatedClockSetter::TimedatedClockSetter(QString busAddress)
    : bus_(QStringLiteral("timedated"), std::move(busAddress))
{
}

TimedatedClockSetter::~TimedatedClockSetter() = default;

bool TimedatedClockSetter::setUtc(std::int64_t secondsSinceEpoch)
{
    const QDBusConnection connection = bus_.Connection();
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

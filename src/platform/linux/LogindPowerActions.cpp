#include "LogindPowerActions.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariant>

#include <unistd.h>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kUser = QStringLiteral("org.freedesktop.login1.User");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Long enough for polkit to decide, short enough that a hung logind does not freeze the
// window for the bus's default 25 seconds.
constexpr int kTimeoutMs = 10000;

QDBusMessage call(const QDBusConnection& bus, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& args = {})
{
    QDBusMessage msg = QDBusMessage::createMethodCall(kService, path, interface, method);
    msg.setArguments(args);
    return bus.call(msg, QDBus::Block, kTimeoutMs);
}

bool succeeded(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

// A second request while a shutdown or sleep is under way is refused with this error; the
// action asked for is happening, so a rule that asks again on the next tick has not failed.
bool underWay(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ErrorMessage &&
           reply.errorName().endsWith(QLatin1String(".OperationInProgress"));
}

QVariant firstArgument(const QDBusMessage& reply)
{
    if (!succeeded(reply) || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst();
}

QVariant property(const QDBusConnection& bus, const QString& path, const QString& interface,
                  const QString& name)
{
    const QVariant v =
        firstArgument(call(bus, path, kProperties, QStringLiteral("Get"), {interface, name}));
    return v.value<QDBusVariant>().variant();
}

// The "privilege step": logind must answer on the bus before any mode is tried.
bool logindReachable(const QDBusConnection& bus)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage ping = QDBusMessage::createMethodCall(kService, kManagerPath,
                                                       QStringLiteral("org.freedesktop.DBus.Peer"),
                                                       QStringLiteral("Ping"));
    return succeeded(bus.call(ping, QDBus::Block, kTimeoutMs));
}

// "yes" and "challenge" may go ahead (polkit has the last word); "no" and "na" mean the
// call would be refused anyway, so it is not made.
bool allowed(const QDBusConnection& bus, const QString& canMethod)
{
    const QString answer = firstArgument(call(bus, kManagerPath, kManager, canMethod)).toString();
    return answer == QLatin1String("yes") || answer == QLatin1String("challenge");
}

bool requestManager(const QDBusConnection& bus, const QString& canMethod, const QString& method)
{
    if (!allowed(bus, canMethod))
        return false;
    // interactive=false: a tray program that fires at a set time must not wait on a password
    // prompt nobody may be there to answer.
    const QDBusMessage reply = call(bus, kManagerPath, kManager, method, {false});
    return succeeded(reply) || underWay(reply);
}

QString sessionIdAt(const QDBusConnection& bus, const QString& path)
{
    return property(bus, path, kSession, QStringLiteral("Id")).toString();
}

// Our own session: the one the desktop told us about, else the one our process belongs to
// (started from a user service it belongs to none), else the user's display session.
QString ownSessionId(const QDBusConnection& bus)
{
    const QString fromEnvironment = qEnvironmentVariable("XDG_SESSION_ID");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;

    const QVariant byPid =
        firstArgument(call(bus, kManagerPath, kManager, QStringLiteral("GetSessionByPID"),
                           {static_cast<quint32>(::getpid())}));
    if (byPid.isValid()) {
        const QString id = sessionIdAt(bus, byPid.value<QDBusObjectPath>().path());
        if (!id.isEmpty())
            return id;
    }

    const QVariant user = firstArgument(call(bus, kManagerPath, kManager, QStringLiteral("GetUser"),
                                             {static_cast<quint32>(::getuid())}));
    if (!user.isValid())
        return {};
    // Display is a (so) struct: the session id and its object path.
    const QVariant display =
        property(bus, user.value<QDBusObjectPath>().path(), kUser, QStringLiteral("Display"));
    const QDBusArgument arg = display.value<QDBusArgument>();
    QString id;
    QDBusObjectPath sessionPath;
    if (arg.currentType() == QDBusArgument::StructureType) {
        arg.beginStructure();
        arg >> id >> sessionPath;
        arg.endStructure();
    }
    return id;
}

bool logOff(const QDBusConnection& bus)
{
    const QString id = ownSessionId(bus);
    if (id.isEmpty())
        return false;
    return succeeded(call(bus, kManagerPath, kManager, QStringLiteral("TerminateSession"), {id}));
}

} // namespace

LogindPowerActions::LogindPowerActions() : LogindPowerActions(QString()) {}

LogindPowerActions::LogindPowerActions(QString busAddress)
    : LogindPowerActions(std::move(busAddress), makeX11ScreenOff())
{
}

LogindPowerActions::LogindPowerActions(QString busAddress, std::unique_ptr<ScreenOff> screenOff)
    : bus_(QStringLiteral("logind"), std::move(busAddress)), screenOff_(std::move(screenOff))
{
}

LogindPowerActions::~LogindPowerActions() = default;

bool LogindPowerActions::run(unsigned mode)
{
    if (mode > 5 || (mode == 5 && !screenOff_))
        return false;
    const QDBusConnection connection = bus_.Connection();
    if (!logindReachable(connection))
        return false;
    switch (mode) {
    case 0:
        return requestManager(connection, QStringLiteral("CanPowerOff"),
                              QStringLiteral("PowerOff"));
    case 1:
        return requestManager(connection, QStringLiteral("CanReboot"), QStringLiteral("Reboot"));
    case 2:
        return requestManager(connection, QStringLiteral("CanSuspend"), QStringLiteral("Suspend"));
    case 3:
        return requestManager(connection, QStringLiteral("CanHibernate"),
                              QStringLiteral("Hibernate"));
    case 4:
        return logOff(connection);
    default:
        return screenOff_->turnOff();
    }
}

bool LogindPowerActions::offers(unsigned mode)
{
    if (mode == 5)
        return screenOff_ && screenOff_->available();
    return mode < 5;
}

} // namespace platform

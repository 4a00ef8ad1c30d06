#include "ui/DesktopNotices.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace {

Q_LOGGING_CATEGORY(lcNotices, "quorlin.notices")

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

} // namespace

DesktopNotices::DesktopNotices(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus))
{
    if (!bus_.isConnected())
        return;
    // A panel that starts after the program brings its tray then.
    watcher_ = new QDBusServiceWatcher(kWatcher, bus_,
                                       QDBusServiceWatcher::WatchForRegistration |
                                           QDBusServiceWatcher::WatchForUnregistration,
                                       this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            [this] { AskStatusNotifierHost(); });
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { statusNotifierHost_ = false; });
    AskStatusNotifierHost();
    AskCapabilities();
}

DesktopNotices::~DesktopNotices() = default;

void DesktopNotices::AskStatusNotifierHost()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusVariant> reply = *w;
        statusNotifierHost_ = !reply.isError() && reply.value().variant().toBool();
        w->deleteLater();
    });
}

void DesktopNotices::AskCapabilities()
{
    const QDBusMessage ask = QDBusMessage::createMethodCall(
        kNotifications, kNotificationsPath, kNotifications, QStringLiteral("GetCapabilities"));
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(ask), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QStringList> reply = *w;
        bodyMarkup_ = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
        w->deleteLater();
    });
}

void DesktopNotices::Show(const QString& title, const QString& text, int timeoutMs)
{
    if (!bus_.isConnected()) {
        qCWarning(lcNotices).noquote() << "no session bus for the notice:" << text;
        return;
    }
    // A service that reads markup would take "<" or "&" in a note's text for a tag and may
    // drop the whole notice; one that does not shows the text as it is.
    QString body = text;
    if (bodyMarkup_)
        body = body.toHtmlEscaped();
    QDBusMessage notify = QDBusMessage::createMethodCall(kNotifications, kNotificationsPath,
                                                         kNotifications, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("quorlin")},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    notify << QStringLiteral("Quorlin") << uint(0) << QStringLiteral("quorlin") << title << body
           << QStringList() << hints << qint32(timeoutMs);
    ++pending_;
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(notify), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, text](QDBusPendingCallWatcher* w) {
                --pending_;
                if (w->isError())
                    qCWarning(lcNotices).noquote()
                        << "the notice was not shown (" + w->error().message() + "):" << text;
                w->deleteLater();
            });
}

bool DesktopNotices::TrayShowsBalloons() const
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt draws the balloon itself beside an icon docked in an X11 tray; a StatusNotifier
    // host has no balloons, and Wayland has neither.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || statusNotifierHost_)
        return false;
    return QSystemTrayIcon::isSystemTrayAvailable();
#else
    return true;
#endif
}

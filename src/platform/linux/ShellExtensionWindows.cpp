#include "ShellExtensionWindows.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QStringList>

namespace platform {

const char* const ShellExtensionWindows::kUuid = "windows@quorlin.app";
const char* const ShellExtensionWindows::kService = "app.quorlin.ShellWindows";
const char* const ShellExtensionWindows::kPath = "/app/quorlin/ShellWindows";
const char* const ShellExtensionWindows::kInterface = "app.quorlin.ShellWindows";

namespace {

QStringList toQt(const std::vector<std::u16string>& titles)
{
    QStringList out;
    for (const auto& title : titles)
        out << QString::fromStdU16String(title);
    return out;
}

} // namespace

ShellExtensionWindows::ShellExtensionWindows(QString busAddress)
    : bus_(QStringLiteral("shell-windows"), std::move(busAddress))
{
    if (bus_.Has(QLatin1String(kService)) || !bus_.Has(QStringLiteral("org.gnome.Shell")))
        return;
    // Installed with the program, but a new extension starts switched off. Not waited for:
    // the shell loads it in its own time.
    QDBusMessage enable = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell.Extensions"), QStringLiteral("EnableExtension"));
    enable.setArguments({QString::fromLatin1(kUuid)});
    bus_.Connection().asyncCall(enable);
}

bool ShellExtensionWindows::available()
{
    return bus_.Has(QLatin1String(kService));
}

void ShellExtensionWindows::Refresh()
{
    constexpr qint64 kRefreshMs = 500;
    if (asking_ || (asked_.isValid() && asked_.elapsed() < kRefreshMs))
        return;
    asking_ = true;
    asked_.start();
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.Connection().asyncCall(QDBusMessage::createMethodCall(
                                        QLatin1String(kService), QLatin1String(kPath),
                                        QLatin1String(kInterface), QStringLiteral("Titles"))),
                                    context_.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context_.get(), [this, watcher] {
        watcher->deleteLater();
        asking_ = false;
        const QDBusMessage reply = watcher->reply();
        titles_ = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                      ? reply.arguments().constFirst().toStringList()
                      : QStringList();
    });
}

bool ShellExtensionWindows::exists(const std::u16string& title)
{
    Refresh();
    return !title.empty() && titles_.contains(QString::fromStdU16String(title));
}

bool ShellExtensionWindows::requestClose(const std::u16string& title)
{
    return !requestCloseEach({title}).empty();
}

std::vector<std::u16string>
ShellExtensionWindows::requestCloseEach(const std::vector<std::u16string>& titles)
{
    Refresh();
    std::vector<std::u16string> matched;
    QStringList wanted;
    for (const QString& title : toQt(titles))
        // An empty title would name every untitled window.
        if (!title.isEmpty() && titles_.contains(title) && !wanted.contains(title)) {
            wanted << title;
            matched.push_back(title.toStdU16String());
        }
    if (wanted.isEmpty())
        return matched;
    QDBusMessage ask =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kInterface), QStringLiteral("CloseEach"));
    ask.setArguments({wanted});
    bus_.Connection().asyncCall(ask);
    return matched;
}

} // namespace platform

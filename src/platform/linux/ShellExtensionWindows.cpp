#include "ShellExtensionWindows.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
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

bool ShellExtensionWindows::exists(const std::u16string& title)
{
    const QDBusMessage reply = bus_.Connection().call(
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kInterface), QStringLiteral("Titles")),
        QDBus::Block, kDesktopCallMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toStringList().contains(QString::fromStdU16String(title));
}

bool ShellExtensionWindows::requestClose(const std::u16string& title)
{
    return !requestCloseEach({title}).empty();
}

std::vector<std::u16string>
ShellExtensionWindows::requestCloseEach(const std::vector<std::u16string>& titles)
{
    std::vector<std::u16string> closed;
    QStringList wanted = toQt(titles);
    wanted.removeAll(QString()); // an empty title would name every untitled window
    if (wanted.isEmpty())
        return closed;
    QDBusMessage ask =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kInterface), QStringLiteral("CloseEach"));
    ask.setArguments({wanted});
    const QDBusMessage reply = bus_.Connection().call(ask, QDBus::Block, kDesktopCallMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return closed;
    // Only what we asked for counts, whatever else the answer holds.
    for (const QString& title : reply.arguments().constFirst().toStringList())
        if (wanted.contains(title))
            closed.push_back(title.toStdU16String());
    return closed;
}

} // namespace platform

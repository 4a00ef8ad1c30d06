#include "DesktopWallpaper.h"

#include "DesktopTool.h"
#include "GioBackground.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdlib>

namespace platform {

namespace {

std::string CurrentDesktop()
{
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    return value ? value : "";
}

bool SetXfceBackdrop(const QString& picture)
{
    const QString channel = QStringLiteral("xfce4-desktop");
    const auto listing = RunDesktopTool("xfconf-query", {"-c", channel, "-l"});
    if (!listing)
        return false;
    // One picture per monitor and workspace: every one of them gets the new picture.
    QStringList properties;
    for (const QByteArray& line : listing->split('\n')) {
        const QString property = QString::fromUtf8(line.trimmed());
        if (property.endsWith(QLatin1String("/last-image")))
            properties << property;
    }
    if (properties.isEmpty())
        return RunDesktopTool("xfconf-query", {"-c", channel, "-p",
                                               "/backdrop/screen0/monitor0/workspace0/last-image",
                                               "-n", "-t", "string", "-s", picture})
            .has_value();
    bool all = true;
    for (const QString& property : properties)
        all = RunDesktopTool("xfconf-query", {"-c", channel, "-p", property, "-s", picture})
                  .has_value() &&
              all;
    return all;
}

} // namespace

DesktopWallpaper::Kind DesktopWallpaper::Detect(const std::string& currentDesktop)
{
    const QStringList names = QString::fromStdString(currentDesktop).split(':', Qt::SkipEmptyParts);
    for (const QString& raw : names) {
        const QString name = raw.trimmed().toUpper();
        if (name == "GNOME" || name == "GNOME-CLASSIC" || name == "GNOME-FLASHBACK" ||
            name == "BUDGIE" || name == "UNITY" || name == "UBUNTU")
            return Kind::Gnome;
        if (name == "X-CINNAMON" || name == "CINNAMON")
            return Kind::Cinnamon;
        if (name == "MATE")
            return Kind::Mate;
        if (name == "XFCE")
            return Kind::Xfce;
        if (name == "KDE")
            return Kind::Plasma;
    }
    return Kind::Unknown;
}

Wallpaper::Result DesktopWallpaper::apply(const std::u16string& picture)
{
    const QString path = QString::fromStdU16String(picture);
    const std::string local = QFile::encodeName(path).toStdString();
    const std::string uri = gio::FileUri(local); // empty for a path that is not absolute
    bool ok = false;
    switch (Detect(CurrentDesktop())) {
    case Kind::Unknown:
        return Result::Unsupported;
    case Kind::Gnome:
        ok = !uri.empty() && gio::SetTextKeys("org.gnome.desktop.background",
                                              {"picture-uri", "picture-uri-dark"}, uri);
        break;
    case Kind::Cinnamon:
        ok = !uri.empty() &&
             gio::SetTextKeys("org.cinnamon.desktop.background", {"picture-uri"}, uri);
        break;
    case Kind::Mate:
        ok = gio::SetTextKeys("org.mate.background", {"picture-filename"}, local);
        break;
    case Kind::Xfce:
        ok = SetXfceBackdrop(path);
        break;
    case Kind::Plasma:
        ok = RunDesktopTool("plasma-apply-wallpaperimage", {path}).has_value();
        break;
    }
    return ok ? Result::Applied : Result::Failed;
}

std::u16string DesktopWallpaper::desktop() const
{
    return QString::fromStdString(CurrentDesktop()).toStdU16String();
}

} // namespace platform

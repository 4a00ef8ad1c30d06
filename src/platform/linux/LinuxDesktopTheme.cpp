#include "LinuxDesktopTheme.h"

#include "DesktopTool.h"
#include "DesktopWallpaper.h"
#include "GioBackground.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>

namespace platform {

namespace {

using Kind = LinuxDesktopTheme::Kind;

QString Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value) : QString();
}

//! The groups of a desktop-entry style file and the keys of each, values not needed.
QStringList GroupsAndKeys(const QString& file)
{
    QFile in(file);
    QStringList out;
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    QString group;
    // A theme index is a few lines; a huge file is not one.
    for (int n = 0; n < 10000 && !in.atEnd(); ++n) {
        const QString line = QString::fromUtf8(in.readLine(4096)).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']'))
            out << (group = line);
        else if (const qsizetype eq = line.indexOf(u'='); eq > 0 && !line.startsWith(u'#'))
            out << group + line.left(eq).trimmed();
    }
    return out;
}

bool HasFolder(const QDir& dir, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (QFileInfo(dir.filePath(QLatin1String(name))).isDir())
            return true;
    return false;
}

QString Shown(const QString& desktop)
{
    return desktop.isEmpty() ? QStringLiteral("未知桌面") : desktop;
}

DesktopTheme::Outcome Refused(const QString& reason)
{
    return {false, reason.toStdU16String()};
}

//! One GSettings text key; the schema's name in the reason when it is missing or refuses.
DesktopTheme::Outcome SetKey(const char* schema, const char* key, const QString& value)
{
    if (gio::SetTextKeys(schema, {key}, value.toStdString()))
        return {true, {}};
    return Refused(QStringLiteral("桌面设置 %1 的 %2 不可用或拒绝了修改")
                       .arg(QLatin1String(schema), QLatin1String(key)));
}

DesktopTheme::Outcome Xfconf(const QString& channel, const QString& property, const QString& value)
{
    // -n makes the property when the desktop has never stored one.
    if (RunDesktopTool("xfconf-query",
                       {"-c", channel, "-p", property, "-n", "-t", "string", "-s", value}))
        return {true, {}};
    return Refused(QStringLiteral("xfconf-query 未安装或没能修改 %1 %2").arg(channel, property));
}

DesktopTheme::Outcome Tool(const QString& program, const QStringList& arguments)
{
    if (RunDesktopTool(program, arguments))
        return {true, {}};
    return Refused(QStringLiteral("桌面工具 %1 未安装或执行失败").arg(program));
}

//! Plasma's icon tool lives beside its other helpers, not on the PATH.
QString PlasmaChangeIcons()
{
    QString found = QStandardPaths::findExecutable(QStringLiteral("plasma-changeicons"));
    for (const char* dir : {"/usr/libexec", "/usr/lib/x86_64-linux-gnu/libexec",
                            "/usr/lib/aarch64-linux-gnu/libexec", "/usr/lib/libexec"})
        if (found.isEmpty())
            found = QStandardPaths::findExecutable(QStringLiteral("plasma-changeicons"),
                                                   {QLatin1String(dir)});
    return found.isEmpty() ? QStringLiteral("plasma-changeicons") : found;
}

DesktopTheme::Outcome ApplyGsettings(DesktopWallpaper::Kind desktop,
                                     const LinuxDesktopTheme::Theme& t)
{
    const bool mate = desktop == DesktopWallpaper::Kind::Mate;
    const char* interface = desktop == DesktopWallpaper::Kind::Cinnamon
                                ? "org.cinnamon.desktop.interface"
                            : mate ? "org.mate.interface"
                                   : "org.gnome.desktop.interface";
    switch (t.kind) {
    case Kind::Gtk:
        return SetKey(interface, "gtk-theme", t.name);
    case Kind::Icons:
        return SetKey(interface, "icon-theme", t.name);
    case Kind::Cursors:
        return mate ? SetKey("org.mate.peripherals-mouse", "cursor-theme", t.name)
                    : SetKey(interface, "cursor-theme", t.name);
    default:
        return Refused(
            QStringLiteral("“%1”只能用于其他桌面（GTK 桌面用 GTK、图标或光标主题）").arg(t.name));
    }
}

DesktopTheme::Outcome ApplyXfce(const LinuxDesktopTheme::Theme& t)
{
    switch (t.kind) {
    case Kind::Gtk: {
        const auto gtk = Xfconf("xsettings", "/Net/ThemeName", t.name);
        if (!gtk.applied || !t.xfwm4Theme)
            return gtk;
        return Xfconf("xfwm4", "/general/theme", t.name);
    }
    case Kind::WindowManager:
        return Xfconf("xfwm4", "/general/theme", t.name);
    case Kind::Icons:
        return Xfconf("xsettings", "/Net/IconThemeName", t.name);
    case Kind::Cursors:
        return Xfconf("xsettings", "/Gtk/CursorThemeName", t.name);
    default:
        return Refused(
            QStringLiteral("Xfce 桌面不能使用 KDE 的配色方案或全局主题“%1”").arg(t.name));
    }
}

DesktopTheme::Outcome ApplyPlasma(const LinuxDesktopTheme::Theme& t)
{
    switch (t.kind) {
    case Kind::KdeColours:
        return Tool("plasma-apply-colorscheme", {t.name});
    case Kind::KdeLookAndFeel:
        // Older Plasma has only the first name of the tool.
        if (!QStandardPaths::findExecutable(QStringLiteral("plasma-apply-lookandfeel")).isEmpty())
            return Tool("plasma-apply-lookandfeel", {"-a", t.name});
        return Tool("lookandfeeltool", {"-a", t.name});
    case Kind::Icons:
        return Tool(PlasmaChangeIcons(), {t.name});
    case Kind::Cursors:
        return Tool("plasma-apply-cursortheme", {t.name});
    default:
        return Refused(
            QStringLiteral("KDE Plasma 不能直接使用 GTK 主题“%1”，请选择配色方案（.colors）、"
                           "全局主题、图标或光标主题")
                .arg(t.name));
    }
}

} // namespace

LinuxDesktopTheme::Theme LinuxDesktopTheme::Classify(const QString& file)
{
    const QFileInfo info(file);
    const QDir folder = info.absoluteDir();
    const QString name = info.fileName();
    if (name.endsWith(QLatin1String(".colors")))
        return {Kind::KdeColours, info.completeBaseName(), false};
    if (name == QLatin1String("metadata.json") || name == QLatin1String("metadata.desktop"))
        return {folder.absolutePath().contains(QLatin1String("/look-and-feel/"))
                    ? Kind::KdeLookAndFeel
                    : Kind::NotATheme,
                folder.dirName(), false};
    if (name != QLatin1String("index.theme"))
        return {Kind::NotATheme, info.completeBaseName(), false};

    const QStringList entries = GroupsAndKeys(file);
    const QString theme = folder.dirName();
    if (entries.contains(QLatin1String("[Icon Theme]"))) {
        const bool icons = entries.contains(QLatin1String("[Icon Theme]Directories"));
        if (!icons && HasFolder(folder, {"cursors"}))
            return {Kind::Cursors, theme, false};
        return {Kind::Icons, theme, false};
    }
    const bool xfwm4 = HasFolder(folder, {"xfwm4"});
    if (HasFolder(folder, {"gtk-2.0", "gtk-3.0", "gtk-4.0"}))
        return {Kind::Gtk, theme, xfwm4};
    return {xfwm4 ? Kind::WindowManager : Kind::NotATheme, theme, xfwm4};
}

QStringList LinuxDesktopTheme::SearchFolders(Kind kind)
{
    const QString home = QDir::homePath();
    QString dataHome = Env("XDG_DATA_HOME");
    if (!dataHome.startsWith(u'/'))
        dataHome = home + QStringLiteral("/.local/share");
    QStringList dataDirs = Env("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts);
    if (dataDirs.isEmpty())
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    QStringList out;
    auto under = [&](const QString& sub) {
        out << dataHome + u'/' + sub;
        for (const QString& dir : dataDirs)
            out << dir + u'/' + sub;
    };
    switch (kind) {
    case Kind::Gtk:
    case Kind::WindowManager:
        out << home + QStringLiteral("/.themes");
        under(QStringLiteral("themes"));
        break;
    case Kind::Icons:
    case Kind::Cursors:
        out << home + QStringLiteral("/.icons");
        under(QStringLiteral("icons"));
        out << QStringLiteral("/usr/share/pixmaps");
        break;
    case Kind::KdeColours:
        under(QStringLiteral("color-schemes"));
        break;
    case Kind::KdeLookAndFeel:
        under(QStringLiteral("plasma/look-and-feel"));
        break;
    case Kind::NotATheme:
        break;
    }
    return out;
}

DesktopTheme::Outcome LinuxDesktopTheme::apply(const std::u16string& themeFile)
{
    const QString file = QString::fromStdU16String(themeFile);
    if (!QFileInfo(file).isFile())
        return Refused(QStringLiteral("找不到主题文件 %1").arg(file));
    const Theme theme = Classify(file);
    if (theme.kind == Kind::NotATheme)
        return Refused(QStringLiteral("“%1”不是 Linux 桌面的主题文件，请选择主题文件夹中的 "
                                      "index.theme")
                           .arg(file));
    // The desktop finds a theme by its name in its own folders; elsewhere the name would
    // pick another theme of that name, or none.
    QFileInfo installedAt(QFileInfo(file).absolutePath());
    if (theme.kind != Kind::KdeColours)
        installedAt = QFileInfo(installedAt.absolutePath());
    const QString where = installedAt.canonicalFilePath();
    bool found = false;
    for (const QString& folder : SearchFolders(theme.kind))
        found = found || (!where.isEmpty() && QFileInfo(folder).canonicalFilePath() == where);
    if (!found)
        return Refused(QStringLiteral("主题“%1”不在桌面查找主题的文件夹中（如 %2），桌面无法使用它")
                           .arg(theme.name, SearchFolders(theme.kind).value(0)));

    const auto kind = DesktopWallpaper::Detect(Env("XDG_CURRENT_DESKTOP").toStdString());
    switch (kind) {
    case DesktopWallpaper::Kind::Gnome:
    case DesktopWallpaper::Kind::Cinnamon:
    case DesktopWallpaper::Kind::Mate:
        if (theme.kind == Kind::WindowManager)
            return Refused(QStringLiteral("“%1”只是 Xfce 的窗口边框主题").arg(theme.name));
        return ApplyGsettings(kind, theme);
    case DesktopWallpaper::Kind::Xfce:
        return ApplyXfce(theme);
    case DesktopWallpaper::Kind::Plasma:
        return ApplyPlasma(theme);
    case DesktopWallpaper::Kind::Unknown:
        break;
    }
    return Refused(QStringLiteral("不知道如何为当前桌面（%1）更换主题")
                       .arg(Shown(QString::fromStdU16String(desktop()))));
}

std::u16string LinuxDesktopTheme::desktop() const
{
    return Env("XDG_CURRENT_DESKTOP").toStdU16String();
}

} // namespace platform

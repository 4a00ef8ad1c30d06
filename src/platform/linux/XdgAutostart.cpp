#include "XdgAutostart.h"

#include "platform/portable/AtomicFile.h"

#include <QDir>
#include <QString>

#include <cstdlib>
#include <stdexcept>

namespace platform {

namespace {

// Quoting of an Exec argument: backslash before " ` $ \, and %% for a literal percent.
QString quotedArgument(const QString& arg)
{
    QString out = "\"";
    for (const QChar c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + "\"";
}

// The general escapes of a string value, applied after the quoting.
QString escapedValue(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

QString unescapedValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            const QChar e = value[++i];
            c = e == 'n'   ? QChar('\n')
                : e == 'r' ? QChar('\r')
                : e == 't' ? QChar('\t')
                : e == 's' ? QChar(' ')
                           : e;
        }
        out += c;
    }
    return out;
}

std::u16string toU16(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size()));
}

} // namespace

std::filesystem::path XdgAutostart::entryPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path base =
        config && *config && config[0] == '/'
            ? std::filesystem::path(config)
            : std::filesystem::path(QDir::homePath().toStdString()) / ".config";
    return base / "autostart" / "Quorlin.desktop";
}

void XdgAutostart::write(const std::u16string& executable)
{
    const QString exe = QString::fromUtf16(executable.data(), qsizetype(executable.size()));
    const QString entry = "[Desktop Entry]\nType=Application\nName=Quorlin\nExec=" +
                          escapedValue(quotedArgument(exe) + " -Min") +
                          "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    const auto path = entryPath();
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec)
        throw std::runtime_error("Unable to create " + path.parent_path().string() + ": " +
                                 ec.message());
    if (!writeFileAtomically(path, entry.toStdString()))
        throw std::runtime_error("Unable to write " + path.string());
}

void XdgAutostart::remove()
{
    std::error_code ec;
    std::filesystem::remove(entryPath(), ec);
    if (ec)
        throw std::runtime_error("Unable to delete " + entryPath().string() + ": " + ec.message());
}

std::optional<std::u16string> XdgAutostart::read()
{
    const auto bytes = readWholeFile(entryPath());
    if (!bytes)
        return std::nullopt;
    bool inMainGroup = false;
    for (const QString& line : QString::fromUtf8(*bytes).split('\n')) {
        const QString t = line.trimmed();
        if (t.startsWith('['))
            inMainGroup = t == "[Desktop Entry]";
        else if (inMainGroup && t.startsWith("Exec") && t.mid(4).trimmed().startsWith('='))
            return toU16(unescapedValue(t.mid(t.indexOf('=') + 1).trimmed()));
    }
    return std::nullopt;
}

} // namespace platform

#include "settings/SettingsFile.h"

#include "scheduler/TimeText.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <limits>

#ifndef Q_OS_WIN
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::u16string U16(const QString& s)
{
    return s.toStdU16String();
}

// No decoder makes a lone surrogate out of narrow file text (GB18030 gives noncharacters
// such as U+FDD0 a sequence of their own), so this default tells "absent" apart from any
// stored text, the empty one included.
const std::u16string kAbsent = {char16_t(0xDC00), u'a', u'b', u's', u'e', u'n', u't'};

// The file holds the lock password's digest: only its owner may read it. A new file is made
// private before anything is written into it; rewrites keep the mode the file has.
void KeepPrivate([[maybe_unused]] const QString& path)
{
#ifndef Q_OS_WIN
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    } else if (S_ISREG(info.st_mode) && (info.st_mode & 077) != 0) {
        ::chmod(name.constData(), info.st_mode & 07700);
    }
#endif
}

} // namespace

SettingsWriteError::SettingsWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString())
{
}

SettingsFile::SettingsFile(platform::Profile& profile, QString path)
    : profile_(profile), path_(std::move(path))
{
}

QString SettingsFile::DefaultPath()
{
    const QString overridden = qEnvironmentVariable("QUORLIN_SETTINGS");
    if (!overridden.isEmpty())
        return overridden;
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\WINDOWS\\Quorlin");
#else
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Quorlin");
#endif
}

std::optional<QString> SettingsFile::Raw(const QString& section, const QString& key) const
{
    const std::u16string value = profile_.readString(U16(path_), U16(section), U16(key), kAbsent);
    if (value == kAbsent)
        return std::nullopt;
    return QString::fromStdU16String(value);
}

QString SettingsFile::ReadString(const QString& section, const QString& key,
                                 const QString& fallback) const
{
    return Raw(section, key).value_or(fallback);
}

std::optional<int> SettingsFile::ParseInteger(const QString& text)
{
    QStringView digits = QStringView(text).trimmed();
    bool negative = false;
    int base = 10;
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    if (digits.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        digits = digits.mid(2);
    }
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits) {
        const bool digit = c >= u'0' && c <= u'9';
        const bool hexLetter = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!digit && !(base == 16 && hexLetter))
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    // Hex may spell a full 32-bit pattern: 0xFFFFFFFF reads as -1.
    if (base == 16 && !negative && magnitude <= std::numeric_limits<quint32>::max())
        return static_cast<int>(static_cast<quint32>(magnitude));
    const qlonglong limit = negative ? qlonglong(std::numeric_limits<int>::max()) + 1
                                     : qlonglong(std::numeric_limits<int>::max());
    if (magnitude > qulonglong(limit))
        return std::nullopt;
    return static_cast<int>(negative ? -qlonglong(magnitude) : qlonglong(magnitude));
}

int SettingsFile::ReadInteger(const QString& section, const QString& key, int fallback) const
{
    const std::optional<QString> raw = Raw(section, key);
    if (!raw)
        return fallback;
    return ParseInteger(*raw).value_or(fallback);
}

bool SettingsFile::ReadBool(const QString& section, const QString& key, bool fallback) const
{
    const std::optional<QString> raw = Raw(section, key);
    if (!raw)
        return fallback;
    const std::optional<int> value = ParseInteger(*raw);
    return value ? *value != 0 : fallback;
}

QDate SettingsFile::ReadDate(const QString& section, const QString& key,
                             const QDate& fallback) const
{
    const std::optional<QString> raw = Raw(section, key);
    if (!raw)
        return fallback;
    return ParseDate(*raw).value_or(fallback);
}

QTime SettingsFile::ReadTime(const QString& section, const QString& key,
                             const QTime& fallback) const
{
    const std::optional<QString> raw = Raw(section, key);
    if (!raw)
        return fallback;
    return ParseTime(*raw).value_or(fallback);
}

void SettingsFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    // One value is one line: a line break would split it into a stray key.
    QString line = value;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    KeepPrivate(path_);
    if (profile_.writeString(U16(path_), U16(section), U16(key), U16(line)))
        return;
    // The first write on a fresh account may come before anything made the folder
    // (~/.config); the file is created by that write, so its folder is made here.
    const QString folder = QFileInfo(path_).absolutePath();
    if (QDir(folder).exists() || !QDir().mkpath(folder))
        throw SettingsWriteError(QDir::toNativeSeparators(path_));
    KeepPrivate(path_);
    if (!profile_.writeString(U16(path_), U16(section), U16(key), U16(line)))
        throw SettingsWriteError(QDir::toNativeSeparators(path_));
}

void SettingsFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void SettingsFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsFile::WriteDate(const QString& section, const QString& key, const QDate& value)
{
    WriteString(section, key, DateText(value));
}

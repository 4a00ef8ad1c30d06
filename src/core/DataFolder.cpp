#include "core/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace DataFolder {

namespace {

QString WithSlash(QString dir)
{
    dir = QDir::fromNativeSeparators(dir);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

} // namespace

QString Resolve(const QString& programDir)
{
    const QString forced = qEnvironmentVariable("QUORLIN_DATA_DIR");
    if (!forced.isEmpty())
        return WithSlash(forced);
#ifdef Q_OS_WIN
    return WithSlash(programDir);
#else
    Q_UNUSED(programDir);
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!base.startsWith(u'/'))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return WithSlash(base + QStringLiteral("/Quorlin"));
#endif
}

const QStringList& UserFiles()
{
    static const QStringList names = {
        QStringLiteral("Memorandum.txt"),      QStringLiteral("AutoRunApplication"),
        QStringLiteral("AutoRunErrorLog.txt"), QStringLiteral("DisbleProcessList"),
        QStringLiteral("RadioTiming"),         QStringLiteral("Themes"),
        QStringLiteral("Wallpapers"),          QStringLiteral("Weather"),
        QStringLiteral("NetRadio.dat"),
    };
    return names;
}

void Adopt(const QString& programDir, const QString& dataDir)
{
    if (QFileInfo(programDir) == QFileInfo(dataDir))
        return;
    QDir().mkpath(dataDir);
    for (const QString& name : UserFiles()) {
        const QString from = programDir + name;
        const QString to = dataDir + name;
        // exists() follows links: a dangling link or a folder in the way is left alone.
        if (QFileInfo(to).exists() || QFileInfo(to).isSymLink() || !QFileInfo(from).isFile())
            continue;
        QFile::copy(from, to);
        // A copy from a read-only install stays read-only: the user's copy must be writable.
        QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner |
                                      QFileDevice::ReadOwner);
    }
}

} // namespace DataFolder

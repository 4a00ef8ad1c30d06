#include "core/ActionLog.h"

#include "platform/AnsiCodePage.h"
#include "scheduler/TimeText.h"

#include <QFile>

#include <vector>

namespace {

// Far more than any event needs; a runaway text (a note pasted from a book) must not
// turn one line into a file of its own.
constexpr qsizetype kFieldLimit = 512;

QString Clean(QString field)
{
    // A field never breaks the line or its columns.
    for (QChar& c : field)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    if (field.size() > kFieldLimit)
        field = field.left(kFieldLimit - 1) + u'…';
    return field;
}

} // namespace

ActionLog::ActionLog(platform::AnsiCodePage& ansi, const QString& dataDir)
    : ansi_(ansi), path_(dataDir + QStringLiteral("ActionLog.txt")),
      olderPath_(dataDir + QStringLiteral("ActionLog.1.txt"))
{
}

bool ActionLog::Write(const LocalMoment& when, const QString& feature, const QString& what,
                      const QString& result)
{
    const QString text = QStringList{DateText(when.date), TimeText(when.time), Clean(feature),
                                     Clean(what), Clean(result)}
                             .join(u'\t');
    std::string bytes = ansi_.fromUtf16(text.toStdU16String());
    bytes += "\r\n";

    QFile file(path_);
    // An empty file is never moved: that would throw away the older record for nothing.
    const qint64 size = file.exists() ? file.size() : 0;
    if (size > 0 && size + static_cast<qint64>(bytes.size()) > kLimit) {
        // The older record goes only when the current one can take its place; otherwise
        // this line is lost, not both files.
        const QString spare = olderPath_ + QStringLiteral(".old");
        QFile::remove(spare);
        const bool hadOlder = QFile::exists(olderPath_);
        if (hadOlder && !QFile::rename(olderPath_, spare))
            return false;
        if (!QFile::rename(path_, olderPath_)) {
            if (hadOlder)
                QFile::rename(spare, olderPath_);
            return false;
        }
        QFile::remove(spare);
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           file.flush();
}

std::vector<QStringList> ActionLog::NewestFirst(int max) const
{
    std::vector<QStringList> lines;
    for (const QString& path : {path_, olderPath_}) {
        QFile file(path);
        if (lines.size() >= static_cast<size_t>(max) || !file.open(QIODevice::ReadOnly))
            continue;
        // The newest lines are at the end; a file grown past its limit by hand is read
        // from its last part, without the line cut in two there.
        const qint64 size = file.size();
        const bool cut = size > 2 * kLimit;
        if (cut && !file.seek(size - 2 * kLimit))
            continue;
        const QByteArray all = file.read(2 * kLimit);
        QList<QByteArray> raw = all.split('\n');
        if (cut && !raw.isEmpty())
            raw.removeFirst();
        for (auto it = raw.crbegin(); it != raw.crend(); ++it) {
            const QByteArray line = it->endsWith('\r') ? it->chopped(1) : *it;
            if (line.isEmpty())
                continue;
            const QString text = QString::fromStdU16String(
                ansi_.toUtf16(std::string(line.constData(), static_cast<size_t>(line.size()))));
            QStringList fields = text.split(u'\t');
            while (fields.size() < 5)
                fields.append(QString());
            lines.push_back(fields);
            if (lines.size() >= static_cast<size_t>(max))
                break;
        }
    }
    return lines;
}

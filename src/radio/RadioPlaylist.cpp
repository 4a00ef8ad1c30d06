#include "radio/RadioPlaylist.h"

#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>

namespace RadioPlaylist {

namespace {

bool Acceptable(const QUrl& url, const QUrl& base)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    if (url.isLocalFile())
        return base.isLocalFile();
    static const QStringList kStreamSchemes = {"http", "https", "mms", "mmsh", "rtsp", "rtmp"};
    return kStreamSchemes.contains(url.scheme().toLower());
}

QUrl Resolved(const QString& text, const QUrl& base)
{
    const QUrl url(text.trimmed(), QUrl::TolerantMode);
    return url.isRelative() ? base.resolved(url) : url;
}

QList<QUrl> PlsEntries(const QStringList& lines, const QUrl& base)
{
    // FileN= lines, in the order of N (files list them in any order).
    static const QRegularExpression file(QStringLiteral("^\\s*File(\\d+)\\s*=(.*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    std::map<long long, QUrl> byNumber;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = file.match(line);
        if (!m.hasMatch())
            continue;
        const long long n = m.captured(1).left(9).toLongLong();
        if (!byNumber.count(n))
            byNumber[n] = Resolved(m.captured(2), base);
    }
    QList<QUrl> out;
    for (const auto& [n, url] : byNumber)
        out << url;
    return out;
}

QList<QUrl> AsxEntries(const QString& text, const QUrl& base)
{
    static const QRegularExpression ref(QStringLiteral("<ref\\s+href\\s*=\\s*\"([^\"]*)\""),
                                        QRegularExpression::CaseInsensitiveOption);
    QList<QUrl> out;
    for (auto it = ref.globalMatch(text); it.hasNext();)
        out << Resolved(it.next().captured(1), base);
    return out;
}

QList<QUrl> M3uEntries(const QStringList& lines, const QUrl& base)
{
    QList<QUrl> out;
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(u'#'))
            out << Resolved(t, base);
    }
    return out;
}

} // namespace

bool IsPlaylistAddress(const QUrl& url)
{
    const QString path = url.path().toLower();
    return path.endsWith(QLatin1String(".m3u")) || path.endsWith(QLatin1String(".m3u8")) ||
           path.endsWith(QLatin1String(".pls")) || path.endsWith(QLatin1String(".asx"));
}

bool IsSegmentedStream(const QByteArray& body)
{
    return body.contains("#EXT-X-");
}

QList<QUrl> Entries(const QByteArray& body, const QUrl& base)
{
    QString text = QString::fromUtf8(body);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]+")));
    QList<QUrl> found;
    if (text.trimmed().startsWith(QLatin1String("[playlist]"), Qt::CaseInsensitive))
        found = PlsEntries(lines, base);
    else if (text.contains(QLatin1String("<asx"), Qt::CaseInsensitive))
        found = AsxEntries(text, base);
    else
        found = M3uEntries(lines, base);
    // A set for the repeats: a list of thousands would be compared pairwise on the UI thread.
    QList<QUrl> out;
    QSet<QUrl> seen;
    for (const QUrl& url : found) {
        if (Acceptable(url, base) && !seen.contains(url)) {
            seen.insert(url);
            out << url;
        }
    }
    return out;
}

} // namespace RadioPlaylist

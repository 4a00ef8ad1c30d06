// Any bytes as a playlist fetched from a station (.m3u, .pls, .asx): no crash, and every
// address that comes out is a network stream listed once; a network list never names a file.
#include "FuzzSupport.h"

#include "radio/RadioPlaylist.h"

#include <QSet>

namespace {

void CheckEntries(const QList<QUrl>& entries, bool localAllowed)
{
    static const QSet<QString> kStreamSchemes = {"http", "https", "mms", "mmsh", "rtsp", "rtmp"};
    QSet<QUrl> seen;
    for (const QUrl& url : entries) {
        fuzz::check(url.isValid() && !url.isRelative());
        fuzz::check(url.isLocalFile() ? localAllowed
                                      : kStreamSchemes.contains(url.scheme().toLower()));
        fuzz::check(!seen.contains(url));
        seen.insert(url);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QUrl network("http://radio.example/lists/station.pls");
    static const QUrl local("file:///music/list.m3u");
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    RadioPlaylist::IsSegmentedStream(body);
    CheckEntries(RadioPlaylist::Entries(body, network), false);
    CheckEntries(RadioPlaylist::Entries(body, local), true);
    // The same bytes as an address: the check on the path must hold for any address text.
    RadioPlaylist::IsPlaylistAddress(QUrl(QString::fromUtf8(body), QUrl::TolerantMode));
    return 0;
}

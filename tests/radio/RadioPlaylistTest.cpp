#include "radio/RadioPlaylist.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

QStringList Texts(const QList<QUrl>& urls)
{
    QStringList out;
    for (const QUrl& u : urls)
        out << u.toString();
    return out;
}

const QUrl kBase("http://radio.example/lists/station.pls");

TEST(RadioPlaylist, PlsEntriesComeInFileNumberOrder)
{
    const QByteArray pls = "[playlist]\r\nNumberOfEntries=3\r\nFile2=http://b.example/2\r\n"
                           "Title2=B\r\nfile1=http://a.example/1\r\nFile10=relative.mp3\r\n"
                           "Version=2\r\n";
    EXPECT_EQ(Texts(RadioPlaylist::Entries(pls, kBase)),
              QStringList({"http://a.example/1", "http://b.example/2",
                           "http://radio.example/lists/relative.mp3"}));
}

TEST(RadioPlaylist, M3uSkipsCommentsAndANetworkListNeverPointsAtFiles)
{
    const QByteArray m3u = "\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1,Live\nhttp://a.example/live\n\n"
                           "file:///etc/passwd\nstream.aac\nhttp://a.example/live\n";
    EXPECT_EQ(Texts(RadioPlaylist::Entries(m3u, kBase)),
              QStringList({"http://a.example/live", "http://radio.example/lists/stream.aac"}));
    EXPECT_EQ(Texts(RadioPlaylist::Entries("/music/x.mp3\n", QUrl("file:///music/list.m3u"))),
              QStringList({"file:///music/x.mp3"}));
}

TEST(RadioPlaylist, AsxRefsAndSegmentedStreams)
{
    EXPECT_EQ(
        Texts(RadioPlaylist::Entries(
            "<ASX version=\"3.0\"><Entry><Ref href=\"http://c.example/s\"/></Entry></ASX>", kBase)),
        QStringList({"http://c.example/s"}));
    EXPECT_TRUE(RadioPlaylist::IsSegmentedStream("#EXTM3U\n#EXT-X-TARGETDURATION:10\nseg1.ts\n"));
    EXPECT_FALSE(RadioPlaylist::IsSegmentedStream("#EXTM3U\nhttp://a.example/live\n"));
    for (const char* list : {"http://x.example/Live.PLS?sid=1", "http://x.example/a.m3u",
                             "http://x.example/hls/index.M3U8", "http://x.example/a.asx"})
        EXPECT_TRUE(RadioPlaylist::IsPlaylistAddress(QUrl(list))) << list;
    EXPECT_FALSE(RadioPlaylist::IsPlaylistAddress(QUrl("http://x.example/live.mp3")));
}

TEST(RadioPlaylist, ALargestPlaylistOfDistinctEntriesParsesWithoutStallingTheWindow)
{
    // The reply handler parses on the UI thread; the download stops at 256 KB. Dropping
    // repeats must not compare every entry with every other one.
    QByteArray m3u;
    for (int i = 0; m3u.size() < 256 * 1024; ++i)
        m3u += "http://a.example/" + QByteArray::number(i) + "\n";
    QElapsedTimer timer;
    timer.start();
    const QList<QUrl> entries = RadioPlaylist::Entries(m3u + "http://a.example/0\n", kBase);
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_EQ(entries.size(), m3u.count('\n'));
    EXPECT_EQ(entries.back(), QUrl("http://a.example/" + QString::number(entries.size() - 1)));
}

} // namespace

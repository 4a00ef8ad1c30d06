#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

//! Playlists that stations publish instead of a bare stream (.m3u, .pls, .asx).
namespace RadioPlaylist {

//! True when the address's path names a playlist file.
bool IsPlaylistAddress(const QUrl& url);

//! A segmented live stream (an .m3u8 with #EXT-X- tags) is a stream, not a list of stations:
//! the player opens it itself.
bool IsSegmentedStream(const QByteArray& body);

//! The addresses a playlist lists, in its order, relative ones resolved against `base`.
//! A playlist fetched from the network may only point to network streams, never to files.
QList<QUrl> Entries(const QByteArray& body, const QUrl& base);

} // namespace RadioPlaylist

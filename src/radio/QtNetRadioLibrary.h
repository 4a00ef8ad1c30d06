#pragma once

#include "radio/NetRadioLibrary.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

class QMediaPlayer;
class QNetworkAccessManager;
class QNetworkReply;

//! The radio's player on Qt Multimedia. Playlists are fetched with Qt Network and their
//! first playable entry is opened; the stream plays in the player's own threads, and the
//! status is kept from the player's signals so that asking for it costs nothing.
class QtNetRadioLibrary : public NetRadioLibrary {
public:
    //! `connectMs`: how long a station may take to send its first sound.
    explicit QtNetRadioLibrary(int connectMs = kConnectMs);
    ~QtNetRadioLibrary() override;

    QString ExecuteWMP(int command, const QString& argument) override;
    StreamState State() const override;

    //! How long a playing stream may go without progress before it counts as buffering.
    static constexpr int kStallMs = 3000;
    static constexpr int kConnectMs = 30000;
    //! A stream without progress this long has dropped (a dead connection after the
    //! laptop resumed sends nothing and reports no error).
    static constexpr int kDropMs = 20000;
    //! Playlists nest (a .pls pointing at an .m3u); deeper chains are refused.
    static constexpr int kMaxPlaylistDepth = 3;
    static constexpr qint64 kMaxPlaylistBytes = 256 * 1024;

private:
    enum class Phase { Idle, Resolving, Connecting, Playing, Ended, Failed, Stopped };

    void OpenAddress(const QString& address);
    void Resolve(const QUrl& url, int depth);
    void PlaylistArrived(QNetworkReply* reply, const QUrl& url, int depth);
    void Play(const QUrl& url);
    void PlayerFailed(const QString& reason, bool hopeless = false);
    //! Drops the player and any playlist request; their late signals are ignored.
    void Halt();
    void Fail(const QString& reason, bool hopeless = false);
    void ApplyVolume();
    QString StatusText() const;

    std::unique_ptr<QObject> context_;
    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QMediaPlayer* player_ = nullptr;
    Phase phase_ = Phase::Idle;
    QString reason_;
    bool hopeless_ = false;
    //! The address asked for has sounded since it was opened.
    bool played_ = false;
    QString title_;
    float buffered_ = 0;
    qint64 lastPosition_ = -1;
    QElapsedTimer sinceProgress_;
    QList<QUrl> alternates_;
    int volume_ = 100;
    quint64 generation_ = 0;
    int connectMs_;
};

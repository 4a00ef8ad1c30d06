#include "radio/QtNetRadioLibrary.h"

#include "radio/MediaBackend.h"
#include "radio/RadioPlaylist.h"

#include <QAudio>
#include <QAudioOutput>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

// An address the server says is not there, or that holds no sound, will not work later.
bool HopelessError(QMediaPlayer::Error error, const QString& text)
{
    if (error == QMediaPlayer::FormatError || error == QMediaPlayer::AccessDeniedError)
        return true;
    for (const char* mark : {"404", "403", "410", "Not Found", "Forbidden"})
        if (text.contains(QLatin1String(mark), Qt::CaseInsensitive))
            return true;
    return false;
}

bool HopelessReply(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::ContentNotFoundError ||
           error == QNetworkReply::ContentAccessDenied || error == QNetworkReply::ContentGoneError;
}

QString ErrorReason(int error)
{
    switch (error) {
    case QMediaPlayer::FormatError:
        return QStringLiteral("不支持的音频格式");
    case QMediaPlayer::NetworkError:
        return QStringLiteral("网络连接出错");
    case QMediaPlayer::AccessDeniedError:
        return QStringLiteral("电台拒绝访问");
    default:
        return QStringLiteral("无法连接电台或电台地址无效");
    }
}

} // namespace

QtNetRadioLibrary::QtNetRadioLibrary(int connectMs)
    : context_(std::make_unique<QObject>()), connectMs_(connectMs)
{
}

QtNetRadioLibrary::~QtNetRadioLibrary()
{
    Halt();
}

QString QtNetRadioLibrary::ExecuteWMP(int command, const QString& argument)
{
    switch (command) {
    case Open:
        OpenAddress(argument);
        return {};
    case Status:
        return StatusText();
    case Prepare:
        Halt();
        phase_ = Phase::Idle;
        return {};
    case Stop:
        Halt();
        phase_ = Phase::Stopped;
        return {};
    case Volume: {
        bool ok = false;
        const int v = argument.trimmed().toInt(&ok);
        if (ok) {
            volume_ = std::clamp(v, 0, 100);
            ApplyVolume();
        }
        return {};
    }
    default:
        return {};
    }
}

QtNetRadioLibrary::StreamState QtNetRadioLibrary::State() const
{
    StreamState state;
    state.title = title_;
    state.hopeless = hopeless_;
    switch (phase_) {
    case Phase::Idle:
        state.phase = StreamState::Idle;
        break;
    case Phase::Resolving:
    case Phase::Connecting:
        state.phase = StreamState::Opening;
        break;
    case Phase::Playing:
        state.phase =
            sinceProgress_.elapsed() > kDropMs ? StreamState::Dropped : StreamState::Playing;
        break;
    case Phase::Ended:
    case Phase::Failed:
        state.phase = played_ ? StreamState::Dropped : StreamState::Failed;
        break;
    case Phase::Stopped:
        state.phase = StreamState::Stopped;
        break;
    }
    return state;
}

void QtNetRadioLibrary::OpenAddress(const QString& address)
{
    Halt();
    played_ = false;
    hopeless_ = false;
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    if (address.trimmed().isEmpty() || !url.isValid()) {
        Fail(QStringLiteral("电台地址无效"), true);
        return;
    }
    if (RadioPlaylist::IsPlaylistAddress(url))
        Resolve(url, 0);
    else
        Play(url);
}

void QtNetRadioLibrary::Resolve(const QUrl& url, int depth)
{
    if (!network_)
        network_ = new QNetworkAccessManager(context_.get());
    phase_ = Phase::Resolving;
    QNetworkRequest request(url);
    request.setTransferTimeout(10000);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network_->get(request);
    reply_ = reply;
    const quint64 generation = generation_;
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received) {
        // A "playlist" that keeps coming is a stream or garbage: stop reading it.
        if (received > kMaxPlaylistBytes)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, context_.get(),
                     [this, reply, url, depth, generation] {
                         reply->deleteLater();
                         if (generation == generation_)
                             PlaylistArrived(reply, url, depth);
                     });
}

void QtNetRadioLibrary::PlaylistArrived(QNetworkReply* reply, const QUrl& url, int depth)
{
    reply_.clear();
    if (reply->error() != QNetworkReply::NoError) {
        Fail(QStringLiteral("无法读取电台的播放列表"), HopelessReply(reply->error()));
        return;
    }
    const QByteArray body = reply->readAll();
    const QUrl base = reply->url().isValid() ? reply->url() : url;
    if (RadioPlaylist::IsSegmentedStream(body)) {
        Play(url);
        return;
    }
    QList<QUrl> entries = RadioPlaylist::Entries(body, base);
    if (entries.isEmpty()) {
        Fail(QStringLiteral("播放列表中没有可播放的电台地址"), true);
        return;
    }
    const QUrl first = entries.takeFirst();
    if (RadioPlaylist::IsPlaylistAddress(first)) {
        if (depth + 1 >= kMaxPlaylistDepth) {
            Fail(QStringLiteral("播放列表嵌套过深"), true);
            return;
        }
        Resolve(first, depth + 1);
        return;
    }
    Play(first);
    // Set after Play, which starts a fresh attempt: the other mirrors stay as fallbacks.
    alternates_ = entries;
}

void QtNetRadioLibrary::Play(const QUrl& url)
{
    if (player_) {
        delete player_;
        player_ = nullptr;
    }
    alternates_.clear();
    if (!MediaBackend::Ready()) {
        // A first player now would wait for the backend on the UI thread.
        phase_ = Phase::Connecting;
        reason_.clear();
        title_.clear();
        buffered_ = 0;
        const quint64 generation = generation_;
        MediaBackend::WhenReady(context_.get(), [this, url, generation] {
            if (generation != generation_)
                return;
            const QList<QUrl> rest = alternates_;
            Play(url);
            alternates_ = rest;
        });
        return;
    }
    player_ = new QMediaPlayer;
    auto* output = new QAudioOutput(player_);
    player_->setAudioOutput(output);
    phase_ = Phase::Connecting;
    reason_.clear();
    title_.clear();
    buffered_ = 0;
    lastPosition_ = -1;
    ApplyVolume();

    QMediaPlayer* player = player_;
    QObject::connect(player, &QMediaPlayer::bufferProgressChanged, player,
                     [this](float progress) { buffered_ = progress; });
    QObject::connect(player, &QMediaPlayer::positionChanged, player, [this](qint64 position) {
        if (position > lastPosition_ && position > 0) {
            lastPosition_ = position;
            sinceProgress_.restart();
            if (phase_ == Phase::Connecting)
                phase_ = Phase::Playing;
            played_ = true;
        }
    });
    QObject::connect(player, &QMediaPlayer::mediaStatusChanged, player,
                     [this](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::EndOfMedia &&
                             (phase_ == Phase::Playing || phase_ == Phase::Connecting))
                             phase_ = Phase::Ended;
                     });
    QObject::connect(player, &QMediaPlayer::metaDataChanged, player, [this, player] {
        title_ = player->metaData().stringValue(QMediaMetaData::Title).trimmed();
    });
    QObject::connect(player, &QMediaPlayer::errorOccurred, player,
                     [this](QMediaPlayer::Error error, const QString& text) {
                         if (error != QMediaPlayer::NoError)
                             PlayerFailed(ErrorReason(error), HopelessError(error, text));
                     });
    // A proxy or server that takes the connection and never answers would leave the
    // station "connecting" for ever; the timer goes with this player.
    QTimer::singleShot(connectMs_, player, [this] {
        if (phase_ == Phase::Connecting && buffered_ <= 0 && lastPosition_ < 0)
            PlayerFailed(QStringLiteral("连接电台超时"));
    });
    player_->setSource(url);
    player_->play();
}

void QtNetRadioLibrary::PlayerFailed(const QString& reason, bool hopeless)
{
    if (phase_ == Phase::Failed)
        return;
    if (phase_ == Phase::Connecting && !alternates_.isEmpty()) {
        // The player must not be deleted inside its own signal: switch from the event loop.
        QList<QUrl> rest = alternates_;
        const quint64 generation = generation_;
        QTimer::singleShot(0, context_.get(), [this, rest, generation]() mutable {
            if (generation != generation_)
                return;
            const QUrl next = rest.takeFirst();
            Play(next);
            alternates_ = rest;
        });
        alternates_.clear();
        return;
    }
    Fail(reason, hopeless);
}

void QtNetRadioLibrary::Halt()
{
    ++generation_;
    alternates_.clear();
    if (reply_) {
        QNetworkReply* reply = reply_;
        reply_.clear();
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }
    if (player_) {
        // Deleting is immediate even for a pipeline in error, where stopping it would wait.
        delete player_;
        player_ = nullptr;
    }
}

void QtNetRadioLibrary::Fail(const QString& reason, bool hopeless)
{
    phase_ = Phase::Failed;
    reason_ = reason;
    hopeless_ = hopeless;
}

void QtNetRadioLibrary::ApplyVolume()
{
    if (!player_ || !player_->audioOutput())
        return;
    // The slider moves in steps the ear hears as even.
    player_->audioOutput()->setVolume(QAudio::convertVolume(
        volume_ / 100.0f, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
}

QString QtNetRadioLibrary::StatusText() const
{
    const auto percent = [this] { return QString::number(qRound(buffered_ * 100)); };
    switch (phase_) {
    case Phase::Idle:
        return {};
    case Phase::Stopped:
        return QStringLiteral("已停止");
    case Phase::Resolving:
        return QStringLiteral("正在读取播放列表...");
    case Phase::Connecting:
        if (buffered_ > 0)
            return QStringLiteral("正在缓冲 %1%").arg(percent());
        return QStringLiteral("正在连接电台...");
    case Phase::Playing:
        if (sinceProgress_.elapsed() > kStallMs)
            return QStringLiteral("网络缓慢，正在缓冲 %1%").arg(percent());
        return title_.isEmpty() ? QStringLiteral("正在播放")
                                : QStringLiteral("正在播放：%1").arg(title_);
    case Phase::Ended:
        return QStringLiteral("电台连接已断开");
    case Phase::Failed:
        return QStringLiteral("播放失败：%1").arg(reason_);
    }
    return {};
}

#include "reminders/AlarmSoundPlayer.h"

#include "radio/MediaBackend.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

namespace {

SoundPlayer::Factory& InstalledFactory()
{
    static SoundPlayer::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<SoundPlayer> SoundPlayer::Create()
{
    if (InstalledFactory())
        return InstalledFactory()();
    return std::make_unique<AlarmSoundPlayer>();
}

void SoundPlayer::SetFactory(Factory factory)
{
    InstalledFactory() = std::move(factory);
}

AlarmSoundPlayer::AlarmSoundPlayer() = default;

AlarmSoundPlayer::~AlarmSoundPlayer()
{
    open_ = false;
    if (player_)
        player_->stop();
}

void AlarmSoundPlayer::MakePlayer()
{
    if (player_)
        return;
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(this);
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (!open_ ||
                    (status != QMediaPlayer::EndOfMedia && status != QMediaPlayer::InvalidMedia))
                    return;
                // Handled after the player has finished its own bookkeeping, so the
                // handler may play again at once; a notice about a file that has been
                // replaced in the meantime is dropped.
                const bool failed = status == QMediaPlayer::InvalidMedia;
                QMetaObject::invokeMethod(
                    this,
                    [this, failed, source = source_] {
                        if (!open_ || source != source_)
                            return;
                        if (!failed && EndedTooSoon())
                            return;
                        if (failed)
                            NotifyFailed();
                        else
                            Notify();
                    },
                    Qt::QueuedConnection);
            });
}

void AlarmSoundPlayer::Open(const QString& path)
{
    if (!player_ && !MediaBackend::Ready()) {
        // A first player now would bring the backend up on the UI thread: the box shows at
        // once and the sound follows when the backend is up.
        open_ = true;
        ++source_;
        path_ = path;
        if (!waiting_) {
            waiting_ = true;
            MediaBackend::WhenReady(this, [this] {
                waiting_ = false;
                if (!open_ || player_)
                    return;
                const bool play = playWanted_;
                playWanted_ = false;
                Open(path_);
                if (play)
                    Play();
            });
        }
        return;
    }
    MakePlayer();
    player_->stop();
    // Before setSource: a file found unplayable at once is reported from inside it.
    open_ = true;
    ++source_;
    retried_ = false;
    played_.invalidate();
    player_->setSource(QUrl::fromLocalFile(path));
}

void AlarmSoundPlayer::Play()
{
    if (!open_)
        return;
    if (!player_) {
        playWanted_ = true;
        return;
    }
    if (player_->mediaStatus() == QMediaPlayer::EndOfMedia)
        player_->setPosition(0);
    played_.start();
    player_->play();
}

bool AlarmSoundPlayer::EndedTooSoon()
{
    // Under load the backend now and then reports the end of a file a few milliseconds
    // after it started, with nothing heard: a spoken piece of the chime was skipped. Such a
    // file is played once more from the start; a second early end is believed.
    const qint64 duration = player_->duration();
    if (retried_ || duration <= 0 || !played_.isValid() || played_.elapsed() >= duration / 2)
        return false;
    retried_ = true;
    Play();
    return true;
}

void AlarmSoundPlayer::Close()
{
    open_ = false;
    playWanted_ = false;
    ++source_;
    if (!player_)
        return;
    player_->stop();
    player_->setSource(QUrl());
}

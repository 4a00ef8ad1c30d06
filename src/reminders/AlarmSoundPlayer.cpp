#include "reminders/AlarmSoundPlayer.h"

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
                if (status != QMediaPlayer::EndOfMedia || !open_)
                    return;
                // Handled after the player has finished its own bookkeeping, so the
                // handler may play again at once.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (open_)
                            Notify();
                    },
                    Qt::QueuedConnection);
            });
}

void AlarmSoundPlayer::Open(const QString& path)
{
    MakePlayer();
    player_->stop();
    player_->setSource(QUrl::fromLocalFile(path));
    open_ = true;
}

void AlarmSoundPlayer::Play()
{
    if (!open_)
        return;
    if (player_->mediaStatus() == QMediaPlayer::EndOfMedia)
        player_->setPosition(0);
    player_->play();
}

void AlarmSoundPlayer::Close()
{
    open_ = false;
    if (!player_)
        return;
    player_->stop();
    player_->setSource(QUrl());
}

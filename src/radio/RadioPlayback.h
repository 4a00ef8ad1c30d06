#pragma once

#include "radio/NetRadioLibrary.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class FeatureContext;
class RadioCatalogue;
class RadioSleepTimer;

//! Plays one station at a time through the stream player: play/stop, double-click in the
//! station tree, the volume, autoplay at start and the state line refreshed every second.
//! Keeps section NetRadio of the settings.
//! A stream that dropped after it played is opened again with growing pauses, its mirrors
//! in turn; one that never played tries its mirrors once. The radio steps aside while an
//! alarm rings, and the desktop's media controls reach it through the commands below.
class RadioPlayback {
public:
    //! Builds the player group into the catalogue's side column; the catalogue exists.
    RadioPlayback(FeatureContext& ctx, RadioCatalogue& stations,
                  std::unique_ptr<NetRadioLibrary> library);
    ~RadioPlayback();

    QLabel* RadioPlayState = nullptr;
    QPushButton* PlayStopButton = nullptr;
    QSlider* RadioVolumeTrackBar = nullptr;
    QLabel* VolumeLabel = nullptr;
    QCheckBox* AutoRadioPlayCheckBox = nullptr;
    std::unique_ptr<RadioSleepTimer> SleepTimer;

    //! A station has been started and not stopped since.
    bool RadioPlaying = false;
    //! The station the favourites and timing commands act on; may name no station.
    QString CurrentRadioName;

    static QString NoStationText() { return QStringLiteral("目前暂无播放的电台"); }
    static QString DroppedText() { return QStringLiteral("播放失败：电台连接中断"); }

    // Reconnecting a stream that dropped.
    //! Seconds to wait before attempt `attempt + 1`: 1, 2, 4, 8, 15, then 30.
    static int RetryDelay(int attempt);
    //! No attempt starts later than this after the drop.
    static constexpr int kGiveUpSeconds = 600;
    //! A stream back for this long counts as mended: a later drop starts afresh.
    static constexpr int kSteadySeconds = 60;
    //! Attempts in a row that the server answered "not here" (or not with sound).
    static constexpr int kHopelessTries = 5;

    void PlayStopButtonClick();
    void RadioTreeViewDblClick();
    void RadioVolumeTrackBarChange();
    void AutoRadioPlayCheckBoxClick();
    void RefreshRadioState();
    void SaveRadioSettings();
    void LoadRadioSettings();

    //! The play/stop action, for handlers that already run guarded.
    void PlayOrStop();
    //! A timing's start: `station` becomes current and starts over whatever plays; while an
    //! alarm rings it waits for the ring's answer. False when the name is no station.
    bool StartTimed(const QString& station);

    // The radio as the desktop's media controls see and drive it; the page shows the same.
    enum class Playback { Stopped, Playing, Paused };
    Playback Status() const;
    //! The title the playing stream sends, or empty.
    const QString& StreamTitle() const { return title_; }
    int Volume() const;
    void SetVolume(int volume);
    //! Starts the current station unless it plays already.
    void Play();
    //! Stops the stream but keeps the station, for Play to take up again.
    void Pause();
    void PlayPause();
    //! Stops as the page's button does.
    void StopPlayback();
    //! Next or previous of the favourites, as the tree lists them; playing stays playing,
    //! stopped stays stopped.
    void Next();
    void Previous();
    bool CanStep() const;
    //! Called after any change of the state, the station, the title or the volume.
    void OnChange(std::function<void()> listener);

    //! An alarm or a note starts or stops ringing: the radio pauses and comes back after.
    void RingStateChanged(bool ringing);

private:
    struct Retry {
        bool active = false;
        qint64 since = 0; // second of the drop
        int attempt = 0;
        bool inFlight = false; // an attempt is opening; its end is not yet known
        qint64 nextAt = 0;
        int hopelessRun = 0;
        std::optional<qint64> resumedAt;
    };

    QString ExecuteWMP(int command, const QString& argument = {});
    void ShowPlaying(bool playing);
    //! The play/stop action's stop: also ends the sleep timer and any reconnecting.
    void StopRadio();
    void OpenStream();
    void KeepStreamAlive(const NetRadioLibrary::StreamState& state);
    void GiveUp(const QString& why);
    void PauseStream(const QString& why);
    void Step(int direction);
    void SleepFade(int percent);
    void SleepExpired();
    int EffectiveVolume() const;
    void Notify();

    FeatureContext& ctx_;
    RadioCatalogue& stations_;
    std::unique_ptr<NetRadioLibrary> library_;
    // While the settings load, saves keep the stored autoplay state: the box gets its
    // stored state only after the volume has been applied.
    bool loading_ = false;
    bool storedAutoPlay_ = false;

    QStringList addresses_; // the current station's address and mirrors
    int address_ = 0;
    bool played_ = false; // the current station has sounded since it was started
    Retry retry_;
    bool paused_ = false;
    bool ringing_ = false;
    bool resumeAfterRing_ = false;
    int fadePercent_ = 100;
    QString title_;
    std::vector<std::function<void()>> listeners_;
};

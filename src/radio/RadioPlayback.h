#pragma once

#include "radio/NetRadioLibrary.h"

#include <QString>

#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class FeatureContext;
class RadioCatalogue;

//! Plays one station at a time through the stream player: play/stop, double-click in the
//! station tree, the volume, autoplay at start and the state line refreshed every second.
//! Keeps section NetRadio of the settings.
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

    //! A station has been started and not stopped since.
    bool RadioPlaying = false;
    //! The station the favourites and timing commands act on; may name no station.
    QString CurrentRadioName;

    static QString NoStationText() { return QStringLiteral("目前暂无播放的电台"); }

    void PlayStopButtonClick();
    void RadioTreeViewDblClick();
    void RadioVolumeTrackBarChange();
    void AutoRadioPlayCheckBoxClick();
    void RefreshRadioState();
    void SaveRadioSettings();
    void LoadRadioSettings();

    //! The play/stop action, for handlers that already run guarded.
    void PlayOrStop();

private:
    QString ExecuteWMP(int command, const QString& argument = {});

    FeatureContext& ctx_;
    RadioCatalogue& stations_;
    std::unique_ptr<NetRadioLibrary> library_;
    // While the settings load, saves keep the stored autoplay state: the box gets its
    // stored state only after the volume has been applied.
    bool loading_ = false;
    bool storedAutoPlay_ = false;
};

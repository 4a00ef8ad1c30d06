#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <optional>

class FeatureContext;
class RadioCatalogue;
class RadioPlayback;

//! The radio on the session bus as a media player (MPRIS 2), so the desktop's media keys
//! and sound applets show and drive it: play, pause, stop, the favourites as next and
//! previous, the volume, and the station and stream title as the track. Every change is
//! announced, whichever side made it.
class RadioMpris : public QObject {
    Q_OBJECT
public:
    static QString ServiceName() { return QStringLiteral("org.mpris.MediaPlayer2.quorlin"); }
    static QString ObjectPath() { return QStringLiteral("/org/mpris/MediaPlayer2"); }

    //! Publishes the radio on `bus`. The name is asked for without waiting; when another
    //! program holds it, an instance name is taken instead.
    RadioMpris(FeatureContext& ctx, RadioCatalogue& stations, RadioPlayback& radio,
               QDBusConnection bus);
    ~RadioMpris() override;

    //! The session bus of this desktop session, or nothing when there is none: no
    //! fallback to starting a bus of our own.
    static std::optional<QDBusConnection> SessionBus();

    // What the player interface shows, read by its properties.
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    double Volume() const;
    bool CanGoNext() const;
    bool CanPlay() const;

    RadioPlayback& Radio() const { return radio_; }
    void Raise() const;

private:
    QVariantMap Snapshot() const;
    //! Compares with what was last announced and sends PropertiesChanged for the rest.
    void Announce();
    void RequestName(const QString& name, bool fallback);

    FeatureContext& ctx_;
    RadioCatalogue& stations_;
    RadioPlayback& radio_;
    QDBusConnection bus_;
    QVariantMap announced_;
    QString name_;
};

#include "radio/RadioMpris.h"

#include "core/FeatureContext.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioPlayback.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kConnectionName = QStringLiteral("quorlin-mpris");

// RequestName's flag and answers.
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;

} // namespace

//! org.mpris.MediaPlayer2: who we are.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    MprisRootAdaptor(QObject* parent, RadioMpris& mpris)
        : QDBusAbstractAdaptor(parent), mpris_(mpris)
    {
    }
    bool CanQuit() const { return false; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Quorlin"); }
    QString DesktopEntry() const { return QStringLiteral("quorlin"); }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

public slots:
    void Raise() { mpris_.Raise(); }
    // The program stays in the tray; a media applet does not end it.
    void Quit() {}

private:
    RadioMpris& mpris_;
};

//! org.mpris.MediaPlayer2.Player: the radio itself. A live stream has no position.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoNext)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPlay)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    MprisPlayerAdaptor(QObject* parent, RadioMpris& mpris)
        : QDBusAbstractAdaptor(parent), mpris_(mpris)
    {
    }
    QString PlaybackStatus() const { return mpris_.PlaybackStatus(); }
    double Rate() const { return 1.0; }
    void SetRate(double) {}
    QVariantMap Metadata() const { return mpris_.Metadata(); }
    double Volume() const { return mpris_.Volume(); }
    void SetVolume(double volume) { mpris_.Radio().SetVolume(qRound(std::max(0.0, volume) * 100)); }
    qlonglong Position() const { return 0; }
    bool CanGoNext() const { return mpris_.CanGoNext(); }
    bool CanPlay() const { return mpris_.CanPlay(); }
    bool CanSeek() const { return false; }
    bool CanControl() const { return true; }

public slots:
    void Next() { mpris_.Radio().Next(); }
    void Previous() { mpris_.Radio().Previous(); }
    void Pause() { mpris_.Radio().Pause(); }
    void PlayPause() { mpris_.Radio().PlayPause(); }
    void Stop() { mpris_.Radio().StopPlayback(); }
    void Play() { mpris_.Radio().Play(); }
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    RadioMpris& mpris_;
};

RadioMpris::RadioMpris(FeatureContext& ctx, RadioCatalogue& stations, RadioPlayback& radio,
                       QDBusConnection bus)
    : ctx_(ctx), stations_(stations), radio_(radio), bus_(std::move(bus))
{
    new MprisRootAdaptor(this, *this);
    new MprisPlayerAdaptor(this, *this);
    bus_.registerObject(ObjectPath(), this, QDBusConnection::ExportAdaptors);
    RequestName(ServiceName(), true);

    const QPointer<RadioMpris> self(this);
    radio_.OnChange([self] {
        if (self)
            self->Announce();
    });
    stations_.Reloaded = [self] {
        if (self)
            self->Announce();
    };
    announced_ = Snapshot();
}

RadioMpris::~RadioMpris()
{
    bus_.unregisterObject(ObjectPath());
}

std::optional<QDBusConnection> RadioMpris::SessionBus()
{
    QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty()) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
            address = QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
    }
    if (address.isEmpty())
        return std::nullopt;
    QDBusConnection connection = QDBusConnection::connectToBus(address, kConnectionName);
    if (!connection.isConnected()) {
        QDBusConnection::disconnectFromBus(kConnectionName);
        return std::nullopt;
    }
    return connection;
}

void RadioMpris::RequestName(const QString& name, bool fallback)
{
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << name << kDoNotQueue;
    // Asked without waiting: a slow bus must not hold the window.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(request), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, name, fallback] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        const uint answer = reply.isValid() ? reply.value() : 0;
        if (answer == kPrimaryOwner || answer == kAlreadyOwner)
            name_ = name;
        else if (fallback && reply.isValid())
            RequestName(ServiceName() +
                            QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid()),
                        false);
    });
}

QString RadioMpris::PlaybackStatus() const
{
    switch (radio_.Status()) {
    case RadioPlayback::Playback::Playing:
        return QStringLiteral("Playing");
    case RadioPlayback::Playback::Paused:
        return QStringLiteral("Paused");
    case RadioPlayback::Playback::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap RadioMpris::Metadata() const
{
    QVariantMap metadata;
    const QString& station = radio_.CurrentRadioName;
    const std::optional<QString> url = stations_.StationUrl(station);
    if (!url) {
        metadata.insert(QStringLiteral("mpris:trackid"),
                        QVariant::fromValue(QDBusObjectPath(
                            QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"))));
        return metadata;
    }
    // Object paths take only ASCII letters and digits: the name goes in as hex.
    metadata.insert(
        QStringLiteral("mpris:trackid"),
        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/quorlin/station/s") +
                                            QString::fromLatin1(station.toUtf8().toHex()))));
    const QString& title = radio_.StreamTitle();
    metadata.insert(QStringLiteral("xesam:title"), title.isEmpty() ? station : title);
    metadata.insert(QStringLiteral("xesam:album"), station);
    if (!title.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{station});
    metadata.insert(QStringLiteral("xesam:url"), *url);
    return metadata;
}

double RadioMpris::Volume() const
{
    return radio_.Volume() / 100.0;
}

bool RadioMpris::CanGoNext() const
{
    return radio_.CanStep();
}

void RadioMpris::Raise() const
{
    QWidget* page = ctx_.Page(PageId::NetRadio);
    for (QWidget* w = page ? page->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            tabs->setCurrentWidget(page);
            break;
        }
    // As a click on the tray icon does; a lock panel over the window stays where it is.
    if (QWidget* window = ctx_.Window()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
    }
}

bool RadioMpris::CanPlay() const
{
    return stations_.StationUrl(radio_.CurrentRadioName).has_value();
}

QVariantMap RadioMpris::Snapshot() const
{
    return {
        {QStringLiteral("PlaybackStatus"), PlaybackStatus()},
        {QStringLiteral("Metadata"), Metadata()},
        {QStringLiteral("Volume"), Volume()},
        {QStringLiteral("CanGoNext"), CanGoNext()},
        {QStringLiteral("CanGoPrevious"), CanGoNext()},
        {QStringLiteral("CanPlay"), CanPlay()},
        {QStringLiteral("CanPause"), CanPlay()},
    };
}

void RadioMpris::Announce()
{
    const QVariantMap now = Snapshot();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (announced_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    announced_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

#include "RadioMpris.moc"

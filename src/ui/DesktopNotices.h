#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

//! Notices through the desktop's notification service (org.freedesktop.Notifications), for
//! desktops whose tray cannot show a balloon of ours: no tray at all (stock GNOME), or a
//! StatusNotifier tray, which shows icons and menus but no balloons. Nothing here waits for
//! the bus: every call is sent and its answer, if any, comes back later.
class DesktopNotices : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotices(QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);
    ~DesktopNotices() override;

    //! Sends one notice; a service that is missing or refuses it is logged.
    void Show(const QString& title, const QString& text, int timeoutMs);

    //! A StatusNotifier host (the tray of Plasma, of GNOME's AppIndicator extension, …) is on
    //! the bus, as far as its last answer says.
    bool StatusNotifierTray() const { return statusNotifierHost_; }
    //! The notification service shows markup in the text, so plain text has to be escaped.
    bool ServiceTakesMarkup() const { return bodyMarkup_; }

    //! Sent notices whose answer has not come yet (for tests that wait for the bus).
    int Pending() const { return pending_; }

    //! Whether this system shows balloons on its tray icon (Windows, an X11 tray) or needs
    //! the notification service: on X11 only where a tray owns the screen and no
    //! StatusNotifier host has taken the icon, on Wayland never.
    bool TrayShowsBalloons() const;

private:
    void AskStatusNotifierHost();
    void AskCapabilities();

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    bool statusNotifierHost_ = false;
    bool bodyMarkup_ = false;
    int pending_ = 0;
};

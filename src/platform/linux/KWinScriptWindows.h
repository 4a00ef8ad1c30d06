#pragma once

#include "DesktopBus.h"
#include "platform/WindowsByTitle.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QDBusServiceWatcher;

namespace platform {

//! KWin: windows by title through KWin's scripting on the session bus. A script that stays
//! loaded reports the captions whenever they change; a close request loads a one-off script
//! that closes the first window of each title and reports which it closed. Nothing waits
//! for KWin: a request goes out when a reported caption matches, and the answer arrives
//! later through the event loop.
class KWinScriptWindows : public QObject, public WindowsByTitle {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.quorlin.KWinWindows")
public:
    //! Talks to KWin on the session bus, or on the bus at `busAddress` in tests.
    explicit KWinScriptWindows(QString busAddress = {});
    ~KWinScriptWindows() override;

    bool available() override;
    //! From the captions KWin last reported (none before the first report).
    bool exists(const std::u16string& title) override;
    bool requestClose(const std::u16string& title) override;
    //! The titles among the reported captions; one close script goes out for those of them
    //! not still waiting for the answer to an earlier one.
    std::vector<std::u16string>
    requestCloseEach(const std::vector<std::u16string>& titles) override;

    //! The script text that reports the captions to `service` (our name on the bus).
    static QString WatchScript(const QString& service);
    //! The script text that closes the first window of each title and reports to `service`
    //! under `request`.
    static QString CloseScript(const QString& service, const QString& request,
                               const QStringList& titles);
    //! `texts` as a script array literal: every character outside printable ASCII, quotes
    //! and backslashes escaped, so no title can end the literal or the line.
    static QString ScriptArray(const QStringList& texts);

public Q_SLOTS:
    // Called by our scripts inside KWin.
    Q_SCRIPTABLE void Captions(const QString& json);
    Q_SCRIPTABLE void Closed(const QString& request, const QString& json);

private:
    void EnsureWatching();
    //! Loads and starts `text` under the plugin name `plugin`; false when it could not be
    //! written out.
    bool LoadScript(const QString& plugin, const QString& text);
    void UnloadScript(const QString& plugin);
    void KWinChanged();

    DesktopBus bus_;
    bool registered_ = false;
    QTemporaryDir scripts_;
    QString watchPlugin_;
    bool watching_ = false;
    QStringList captions_;
    //! Close scripts loaded and not yet answered, by plugin name: when they went out and
    //! for which titles. A title is asked again only once its last request is answered, so
    //! one caller's window that will not close never holds up another caller's titles.
    struct Pending {
        qint64 at = 0;
        QStringList titles;
    };
    QHash<QString, Pending> pending_;
    QElapsedTimer clock_;
    int serial_ = 0;
    QDBusServiceWatcher* kwin_ = nullptr;
};

} // namespace platform

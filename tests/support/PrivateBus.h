#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sys/types.h>

//! A private bus from `dbus-daemon --fork`, ended by its pid.
struct PrivateBus {
    QString address;
    qint64 pid = 0;

    bool Start()
    {
        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
                     {"--session", "--print-address", "--fork", "--print-pid"});
        if (!daemon.waitForFinished(10000) || daemon.exitCode() != 0)
            return false;
        const QStringList lines =
            QString::fromUtf8(daemon.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        if (lines.size() < 2)
            return false;
        address = lines[0].trimmed();
        pid = lines[1].trimmed().toLongLong();
        return !address.isEmpty() && pid > 0;
    }
    void Stop()
    {
        if (pid > 0)
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        pid = 0;
    }
    ~PrivateBus() { Stop(); }
};

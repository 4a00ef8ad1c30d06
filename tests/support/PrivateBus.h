#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

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

//! One of python3-dbusmock's templates on a private bus of its own, with a connection to
//! drive its Mock interface; the calls it sees go to a log file, read by the tests.
struct DbusMockService {
    PrivateBus bus;
    QTemporaryDir logDir;
    QProcess process;
    QDBusConnection* control = nullptr;

    QString LogPath() const { return logDir.filePath(QStringLiteral("mock.log")); }

    //! Empty when `service` is up on the bus, otherwise what went wrong.
    QString Start(const QString& templateName, const QString& service)
    {
        if (!bus.Start())
            return QStringLiteral("dbus-daemon did not start");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus.address);
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(LogPath());
        process.setStandardErrorFile(logDir.filePath(QStringLiteral("mock.err")));
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                       QStringLiteral("--template"), templateName});
        if (!process.waitForStarted(10000))
            return QStringLiteral("python3-dbusmock did not start");
        control = new QDBusConnection(
            QDBusConnection::connectToBus(bus.address, QStringLiteral("test-control")));
        if (!control->isConnected())
            return QStringLiteral("no connection to the private bus");
        QDeadlineTimer deadline(10000);
        while (!control->interface()->isServiceRegistered(service).value()) {
            if (deadline.hasExpired())
                return QStringLiteral("the %1 mock did not appear on the bus").arg(templateName);
            QThread::msleep(20);
        }
        return {};
    }

    ~DbusMockService()
    {
        delete control;
        QDBusConnection::disconnectFromBus(QStringLiteral("test-control"));
        process.kill();
        process.waitForFinished(5000);
    }
};

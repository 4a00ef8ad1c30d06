#pragma once

#include "support/PrivateBus.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <functional>

//! False, with the reason on stderr, where the machine cannot run the mock.
inline bool HaveDbusMock()
{
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty() ||
        QProcess::execute("/usr/bin/python3", {"-c", "import dbusmock"}) != 0) {
        std::fprintf(stderr, "dbus-daemon or python3-dbusmock is not installed\n");
        return false;
    }
    return true;
}

//! A python3-dbusmock template on a private bus, shared by the whole run; every test starts
//! from a reset mock and reads the calls it caused from the mock's output.
class DbusMockSuite : public ::testing::Test {
protected:
    static void StartMock(const QString& templateName, const QString& service, const QString& path)
    {
        service_ = service;
        path_ = path;
        mock_ = new DbusMockService;
        const QString why = mock_->Start(templateName, service);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }

    static void TearDownTestSuite()
    {
        delete mock_;
        mock_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(Mock("Reset"));
        MarkLog();
    }

    static bool Call(const QString& path, const QString& interface, const QString& method,
                     const QVariantList& args = {})
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(service_, path, interface, method);
        msg.setArguments(args);
        const QDBusMessage reply = mock_->control->call(msg);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    //! A call to the Mock interface of the template's main object.
    static bool Mock(const QString& method, const QVariantList& args = {})
    {
        return Call(path_, QStringLiteral("org.freedesktop.DBus.Mock"), method, args);
    }

    //! Calls before this point are the test's own set-up.
    void MarkLog() { logStart_ = QFile(mock_->LogPath()).size(); }

    //! The calls logged since the test began (or MarkLog) that `keep` takes, without their
    //! time stamps.
    QStringList LoggedCalls(const std::function<bool(const QString&)>& keep) const
    {
        QFile log(mock_->LogPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        log.seek(logStart_);
        QStringList calls;
        for (const QString& line : QString::fromUtf8(log.readAll()).split(u'\n')) {
            const QString call = line.mid(line.indexOf(u' ') + 1);
            if (!call.isEmpty() && keep(call))
                calls << call;
        }
        return calls;
    }

    inline static DbusMockService* mock_ = nullptr;
    inline static QString service_;
    inline static QString path_;
    qint64 logStart_ = 0;
};

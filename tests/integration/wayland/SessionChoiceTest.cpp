// The parts of the Wayland bindings that need no compositor: the session's choice among
// the desktop's ways, and the script text sent to KWin.

#include "support/PrivateBus.h"
#include "support/WaitFor.h"

#include "platform/linux/DesktopScreenOff.h"
#include "platform/linux/KWinScriptWindows.h"
#include "platform/linux/WaylandSessionDesktop.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

struct FakeWay : platform::WindowsByTitle {
    bool up = false;
    int looks = 0;
    std::vector<std::u16string> asked;
    bool available() override
    {
        ++looks;
        return up;
    }
    bool exists(const std::u16string&) override { return up; }
    bool requestClose(const std::u16string& title) override
    {
        asked.push_back(title);
        return true;
    }
};

// Two ways to the desktop's windows, as the session would have them.
struct Ways {
    FakeWay* first = nullptr;
    FakeWay* second = nullptr;
    std::unique_ptr<platform::WaylandSessionWindows> windows;
    Ways()
    {
        std::vector<std::unique_ptr<platform::WindowsByTitle>> ways;
        ways.push_back(std::make_unique<FakeWay>());
        ways.push_back(std::make_unique<FakeWay>());
        first = static_cast<FakeWay*>(ways[0].get());
        second = static_cast<FakeWay*>(ways[1].get());
        windows = std::make_unique<platform::WaylandSessionWindows>(std::move(ways));
    }
};

TEST(SessionChoice, WithNoWayNothingIsClosedAndTheWaysAreNotAskedOnEveryTick)
{
    Ways s;
    EXPECT_FALSE(s.windows->available());
    EXPECT_TRUE(s.windows->requestCloseEach({u"记事本"}).empty());
    EXPECT_FALSE(s.windows->exists(u"记事本"));
    EXPECT_EQ(s.first->looks, 1);
    EXPECT_EQ(s.second->looks, 1);
}

TEST(SessionChoice, TheFirstWayThatAnswersIsKept)
{
    Ways s;
    s.second->up = true;
    EXPECT_EQ(s.windows->requestCloseEach({u"记事本", u"Media Player"}),
              (std::vector<std::u16string>{u"记事本", u"Media Player"}));
    s.first->up = true; // comes up later: the one in use stays
    EXPECT_TRUE(s.windows->requestClose(u"记事本"));
    EXPECT_TRUE(s.first->asked.empty());
    EXPECT_EQ(s.second->asked.size(), 3u);
}

QStringList Parsed(const QString& array)
{
    QStringList out;
    const QJsonDocument doc = QJsonDocument::fromJson(array.toUtf8());
    for (const QJsonValue& v : doc.array())
        out << v.toString();
    return out;
}

// Titles are the user's text: none may end the script's string, its line or its array.
TEST(KWinScript, TitlesReachTheScriptAsTheyAreWhateverTheyHold)
{
    const QStringList titles = {
        "无标题 - 记事本", "say \"hi\"",
        "back\\slash",     "two\nlines",
        "para\u2028sep",   "\"]; workspace.clientList()[0].closeWindow(); [\"",
        "%1 %2",           ""};
    const QString array = platform::KWinScriptWindows::ScriptArray(titles);
    for (const QChar c : array)
        EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() < 0x7f)
            << "raw character " << unsigned(c.unicode());
    EXPECT_EQ(Parsed(array), titles);

    // The same array, and no title substituted into another, inside the close script.
    const QString script =
        platform::KWinScriptWindows::CloseScript(":1.42", "quorlin-close-7", titles);
    EXPECT_EQ(script.count(array), 1);
    EXPECT_TRUE(script.contains("\"quorlin-close-7\""));
    EXPECT_TRUE(script.contains("\":1.42\""));
}

// KDE's power management on a private bus (python3-dbusmock): offered only where the
// service has its display control, and screen off is that control's call.
TEST(KdeScreenOff, OfferedWithTheDisplayControlOnlyAndTurnsOffThroughIt)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.Start());
    platform::KdeScreenOff screen(bus.address);
    EXPECT_FALSE(screen.available()) << "no power management on the bus";

    QTemporaryDir dir;
    QProcess mock;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
    mock.setProcessEnvironment(env);
    const QString log = dir.filePath("calls");
    mock.start("/usr/bin/python3",
               {"-m", "dbusmock", "--session", "-l", log, "org.kde.Solid.PowerManagement",
                "/org/kde/Solid/PowerManagement/Actions/DPMSControl",
                "org.kde.Solid.PowerManagement.Actions.DPMSControl"});
    if (!mock.waitForStarted(10000))
        GTEST_SKIP() << "python3-dbusmock did not start";
    QDBusConnection control =
        QDBusConnection::connectToBus(bus.address, QStringLiteral("kde-power-control"));
    ASSERT_TRUE(WaitFor([&] {
        return control.interface()->isServiceRegistered("org.kde.Solid.PowerManagement").value();
    })) << "the mock never answered";

    QDBusMessage add = QDBusMessage::createMethodCall(
        "org.kde.Solid.PowerManagement", "/org/kde/Solid/PowerManagement/Actions/DPMSControl",
        "org.freedesktop.DBus.Mock", "AddMethod");
    add.setArguments({"org.kde.Solid.PowerManagement.Actions.DPMSControl", "turnOff", "", "", ""});
    ASSERT_EQ(control.call(add).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(screen.available());
    EXPECT_TRUE(screen.turnOff());
    EXPECT_TRUE(WaitFor([&] {
        QFile calls(log);
        return calls.open(QIODevice::ReadOnly) && calls.readAll().contains("turnOff");
    })) << "turnOff was not called";
    mock.terminate();
    mock.waitForFinished(3000);
    QDBusConnection::disconnectFromBus(QStringLiteral("kde-power-control"));
}

} // namespace

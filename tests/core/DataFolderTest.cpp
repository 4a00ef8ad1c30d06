#include "core/DataFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void Put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Get(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

TEST(DataFolder, LivesUnderTheUsersDataHomeUnlessForced)
{
    QTemporaryDir home;
    qunsetenv("QUORLIN_DATA_DIR");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    EXPECT_EQ(DataFolder::Resolve("/usr/lib/quorlin/"), home.path() + "/Quorlin/");
    qputenv("XDG_DATA_HOME", "relative/is/ignored");
    EXPECT_EQ(DataFolder::Resolve("/usr/lib/quorlin/"),
              QDir::homePath() + "/.local/share/Quorlin/");
    qputenv("QUORLIN_DATA_DIR", "/tmp/forced");
    EXPECT_EQ(DataFolder::Resolve("/usr/lib/quorlin/"), "/tmp/forced/");
    qunsetenv("QUORLIN_DATA_DIR");
    qunsetenv("XDG_DATA_HOME");
}

TEST(DataFolder, FirstStartCopiesTheUsersFilesAndLaterStartsNeverOverwriteThem)
{
    QTemporaryDir root;
    const QString program = root.path() + "/program/";
    const QString data = root.path() + "/data/Quorlin/";
    Put(program + "NetRadio.dat", "[新闻]\nA=http://a\n");
    Put(program + "Memorandum.txt", "2026/12/10 08:00:00 旧笔记\r\n");
    Put(program + "使用指南.html", "shipped, not the user's");

    DataFolder::Adopt(program, data);
    EXPECT_EQ(Get(data + "NetRadio.dat"), "[新闻]\nA=http://a\n");
    EXPECT_EQ(Get(data + "Memorandum.txt"), "2026/12/10 08:00:00 旧笔记\r\n");
    EXPECT_FALSE(QFile::exists(data + "使用指南.html"));

    // The user adds a favourite; a rebuild then lays the shipped catalogue down again.
    Put(data + "NetRadio.dat", "[新闻]\nA=http://a\n[我最喜爱的电台]\nA=http://a\n");
    Put(program + "NetRadio.dat", "[新闻]\nA=http://a\nB=http://b\n");
    DataFolder::Adopt(program, data);
    EXPECT_EQ(Get(data + "NetRadio.dat"), "[新闻]\nA=http://a\n[我最喜爱的电台]\nA=http://a\n");

    // One folder for both (Windows, portable use): nothing moves.
    DataFolder::Adopt(program, program);
    EXPECT_EQ(Get(program + "NetRadio.dat"), "[新闻]\nA=http://a\nB=http://b\n");
}

} // namespace

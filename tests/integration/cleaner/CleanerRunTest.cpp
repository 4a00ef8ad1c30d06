// The program starts the shipped Linux cleaner through the real launcher, watches it end
// and tells the space it freed, as the cleaner counted it.

#include "maintenance/RubbishClear.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "support/TestEnvironment.h"

#if __has_include("platform/linux/SpawnLauncher.h")
#include "platform/linux/SpawnLauncher.h"
#define HAVE_SPAWN_LAUNCHER 1
#endif

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

TEST(CleanerRun, RealCleanerFreesOldTemporaryFilesAndTheProgramSaysHowMuch)
{
#ifndef HAVE_SPAWN_LAUNCHER
    GTEST_SKIP() << "no launcher binding for this system in this build";
#else
    QTemporaryDir home;
    QTemporaryDir tmp;
    ASSERT_TRUE(home.isValid() && tmp.isValid());
    // The cleaner sees only this fake home, never the real one.
    ScopedEnv h("HOME", home.path().toUtf8());
    ScopedEnv t("TMPDIR", tmp.path().toUtf8());
    ScopedEnv c("XDG_CACHE_HOME", (home.path() + "/.cache").toUtf8());
    ScopedEnv d("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());

    const QDateTime old = QDateTime::currentDateTime().addDays(-10);
    const QByteArray block(1024 * 1024, 'x');
    for (int i = 0; i < 4; ++i) {
        QFile file(tmp.path() + QStringLiteral("/old %1.bin").arg(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int mb = 0; mb < 50; ++mb)
            ASSERT_EQ(file.write(block), block.size());
        file.close();
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileAccessTime));
    }
    ::sync();

    TestEnvironment env;
    env.platform.launcher = std::make_unique<platform::SpawnLauncher>();
    env.platform.systemInfo = std::make_unique<platform::LinuxSystemInfo>();
    env.systemInfo = nullptr;
    QDir().mkpath(env.ProgramDir());
    ASSERT_TRUE(QFile::copy(QUORLIN_SHIPPED_CLEANER, env.ProgramDir() + "RubbishClear.sh"));
    auto& feature = env.Start<RubbishClear>();
    env.RunTick();
    QTest::mouseClick(feature.HandClearButton, Qt::LeftButton);

    QElapsedTimer waited;
    waited.start();
    const QRegularExpression done(QStringLiteral("^清理完成，释放了 (\\d+) MB 空间$"));
    QString notice;
    while (notice.isEmpty() && waited.elapsed() < 30000) {
        QTest::qWait(100);
        env.RunTick();
        for (const QString& text : env.ui.Texts("balloon"))
            if (done.match(text).hasMatch())
                notice = text;
    }
    ASSERT_FALSE(notice.isEmpty()) << env.ui.Texts("balloon").join('|').toStdString();
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(QFile::exists(tmp.path() + QStringLiteral("/old %1.bin").arg(i)));
    // Exactly the 200 MB that went, whatever else the file system's free space did.
    EXPECT_EQ(done.match(notice).captured(1).toInt(), 200) << notice.toStdString();
    EXPECT_TRUE(QFile::exists(env.ProgramDir() + "RubbishClear.log"));
#endif
}

} // namespace

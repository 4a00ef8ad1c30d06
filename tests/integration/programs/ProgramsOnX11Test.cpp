#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include "platform/linux/SpawnLauncher.h"
#include "platform/linux/X11WindowsByTitle.h"
#include "programs/AutoRunPrograms.h"
#include "programs/DisbleProcesses.h"
#include "programs/SafeModes.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>

#include <csignal>

namespace {

// An xmessage window titled `title` (Chinese needs a locale that can encode it).
class Window {
public:
    explicit Window(const QString& title)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "zh_CN.UTF-8");
        process_.setProcessEnvironment(env);
        process_.start("xmessage", {"-title", title, "Quorlin"});
    }
    ~Window()
    {
        if (process_.state() != QProcess::NotRunning) {
            ::kill(pid_t(process_.processId()), SIGCONT);
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    bool Running() { return process_.state() != QProcess::NotRunning; }
    void Stop() { ::kill(pid_t(process_.processId()), SIGSTOP); }

private:
    QProcess process_;
};

class ProgramsOnX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X display (run-on-xvfb.sh)";
        env.platform.windows = std::make_unique<platform::X11WindowsByTitle>();
        env.platform.launcher = std::make_unique<platform::SpawnLauncher>();
        env.windows = nullptr;
        env.launcher = nullptr;
        titles = std::make_unique<platform::X11WindowsByTitle>();
    }
    bool Shown(const QString& title)
    {
        return WaitFor([&] { return titles->exists(title.toStdU16String()); });
    }
    // The longest of `n` ticks, in milliseconds.
    qint64 SlowestTick(int n)
    {
        qint64 slowest = 0;
        for (int i = 0; i < n; ++i) {
            QElapsedTimer timer;
            timer.start();
            env.Tick();
            slowest = std::max(slowest, timer.elapsed());
        }
        return slowest;
    }

    TestEnvironment env;
    std::unique_ptr<platform::X11WindowsByTitle> titles;
};

TEST_F(ProgramsOnX11, AListedScriptRunsAndAMissingOneIsReportedAndLogged)
{
    const QString dir = env.ProgramDir() + "脚本 目录/";
    QDir().mkpath(dir);
    const QString script = dir + "写 标记.sh";
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("echo started > \"$(dirname \"$0\")/marker\"\n"); // no execute bit
    }
    const QString missing = dir + "不存在.sh";
    env.WriteProgramFile("AutoRunApplication", missing + "\n" + script + "\n");
    env.Start<AutoRunPrograms>();
    EXPECT_TRUE(WaitFor([&] { return QFile::exists(dir + "marker"); }));
    EXPECT_EQ(env.ui.Texts("message"), QStringList{missing + "运行失败:原因:指定的文件不存在"});
    EXPECT_EQ(env.ReadProgramFile("AutoRunErrorLog.txt"),
              "2026/12/09  10:00:00  " + missing + "运行失败:原因:指定的文件不存在\r\n");
}

TEST_F(ProgramsOnX11, ABlockRuleClosesRealWindowsAndAHungOneDoesNotHoldTheTick)
{
    Window notepad("无标题 - 记事本");
    Window player("Media Player");
    Window hung("挂起的 程序");
    Window other("无标题");
    ASSERT_TRUE(Shown("无标题 - 记事本") && Shown("Media Player") && Shown("挂起的 程序") &&
                Shown("无标题"));
    hung.Stop();
    env.WriteProgramFile("DisbleProcessList", "挂起的 程序 星期日 星期六 00:00:00 23:59:59\n"
                                              "无标题 - 记事本 星期一 星期五 08:00:00 17:00:00\n"
                                              "Media Player 星期三 星期三 09:00:00 11:00:00\n");
    env.Start<DisbleProcesses>();
    EXPECT_LT(SlowestTick(3), 500);
    EXPECT_TRUE(WaitFor([&] { return !notepad.Running() && !player.Running(); }));
    EXPECT_TRUE(other.Running()) << "only the exact title is closed";
    EXPECT_TRUE(hung.Running());
}

TEST_F(ProgramsOnX11, TheLockClosesTaskManagerAndClockWindows)
{
    Window monitor("系统监视器");
    Window clock("日期和时间 属性");
    Window notepad("记事本");
    ASSERT_TRUE(Shown("系统监视器") && Shown("日期和时间 属性") && Shown("记事本"));
    SafeModes& s = env.Start<SafeModes>();
    env.Tick();
    EXPECT_TRUE(monitor.Running());
    s.PasswordMaskEdit->setText("密码");
    s.CheckPasswordMaskEdit->setText("密码");
    s.EnableSafeCheckBox->setChecked(true);
    EXPECT_LT(SlowestTick(2), 500);
    EXPECT_TRUE(WaitFor([&] { return !monitor.Running() && !clock.Running(); }));
    EXPECT_TRUE(notepad.Running());
}

} // namespace

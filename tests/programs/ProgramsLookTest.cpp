#include "support/LookCheck.h"
#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "programs/DisbleProcessForm.h"
#include "programs/DisbleProcesses.h"
#include "programs/SafeModes.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTabWidget>
#include <QTest>

namespace {

TEST(ProgramsLook, ThePagesTheDialogAndTheLockShowEveryCaptionWholeAndExitNeedsThePassword)
{
    TestEnvironment env;
    env.WriteProgramFile("AutoRunApplication",
                         "/home/用户/工具/同步 网盘.sh\n/usr/bin/xterm\n/opt/办公软件/启动.sh\n");
    QDir().mkpath(env.ProgramDir());
    QFile list(env.ProgramDir() + "DisbleProcessList");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(QStringEncoder("GBK").encode("无标题 - 记事本 星期一 星期五 08:00:00 17:00:00\n"
                                            "Media Player 星期六 星期日 22:00:00 06:00:00\n"));
    list.close();
    TMainForm& form = env.StartForm();
    form.show();
    form.Page->setCurrentWidget(form.GradeFunction);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ExpectReadable(&form, form.GradeFunction, "programs-page");
    form.Page->setCurrentWidget(form.Install);
    QTest::qWait(50);
    ExpectReadable(&form, form.Install, "settings-page-lock");

    DisbleProcesses& blocked = *form.Feature<DisbleProcesses>();
    blocked.AdddisbleProcessButton->click();
    TDisbleProcessForm& dialog = *blocked.DisbleProcessForm;
    dialog.DisbleProcessEdit->setText("无标题 - 记事本");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ExpectReadable(&dialog, &dialog, "blocked-program-dialog");
    dialog.close();

    SafeModes& lock = *form.Feature<SafeModes>();
    lock.PasswordMaskEdit->setText("密码");
    lock.CheckPasswordMaskEdit->setText("密码");
    lock.EnableSafeCheckBox->setChecked(true);
    env.Tick();
    QTest::qWait(50);
    EXPECT_FALSE(form.Page->isEnabled());
    EXPECT_TRUE(lock.SafeModePanel->isVisible());
    EXPECT_EQ(lock.SafeModePanel->geometry(), form.rect());
    ExpectReadable(&form, lock.SafeModePanel, "locked-window");

    // Locked, the tray's exit asks for the password.
    env.ui.inputAnswers = {std::nullopt, QString("密码")};
    form.Exit->trigger();
    EXPECT_EQ(env.ui.Texts("input"), QStringList{"请输入退出密码:"});
    EXPECT_TRUE(form.isVisible()) << "cancelled: the program keeps running";
    form.Exit->trigger();
    EXPECT_EQ(env.ui.Count("input"), 2);
    EXPECT_FALSE(form.isVisible());
}

} // namespace

#include "support/TestEnvironment.h"

#include "programs/AutoRunPrograms.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTableWidget>

#include <cerrno>

namespace {

using platform::CommandLauncher;

QString Log(const TestEnvironment& env)
{
    QFile file(env.ProgramDir() + "AutoRunErrorLog.txt");
    if (!file.open(QIODevice::ReadOnly))
        return "<absent>";
    return QStringDecoder("GB18030").decode(file.readAll());
}

QStringList Grid(const AutoRunPrograms& a)
{
    QStringList rows;
    for (int r = 0; r < a.AutoRunStringGrid->rowCount(); ++r)
        rows << GridRow(a.AutoRunStringGrid, r).value(0);
    return rows;
}

AutoRunPrograms& Start(TestEnvironment& env, const QString& list)
{
    env.WriteProgramFile("AutoRunApplication", list);
    return env.Start<AutoRunPrograms>();
}

TEST(AutoRunPrograms, StartsEveryEntryInOrderByItsWholePathWithoutABox)
{
    TestEnvironment env;
    Start(env, "C:\\a.exe\r\nD:\\Program Files\\b 工具.bat\r\n\r\nC:\\a.exe\r\n");
    EXPECT_EQ(env.launcher->paths(),
              QStringList({"C:\\a.exe", "D:\\Program Files\\b 工具.bat", "C:\\a.exe"}));
    for (const auto& call : env.launcher->calls)
        EXPECT_EQ(call.showMode, CommandLauncher::MinNoActive);
    EXPECT_TRUE(env.ui.calls.empty());
    EXPECT_EQ(Log(env), "<absent>");
}

// A damaged or long-stale list: every entry is still tried and logged, with its reason in
// words after the path, but one box a start. The box comes before its line is written and
// before the next entry starts.
TEST(AutoRunPrograms, FailedStartsShowOneBoxAndLogEachWithItsReason)
{
    using Cause = CommandLauncher::Cause;
    const struct {
        QString path;
        CommandLauncher::Result result;
        QString reason; //!< all of it for a bare launch code, else a part
    } rows[] = {
        {"C:\\没有\\a.exe", {0}, "内存或者资源不足"},
        {"/opt/c2", {2}, "指定的文件不存在"},
        {"/opt/c3", {3}, "指定的路径不存在"},
        {"/opt/c11", {11}, "执行格式无效"},
        {"/opt/c5", {5}, "拒绝访问"},
        {"/opt/c31", {31}, "没有与此类文件关联的程序"},
        {"/opt/c19", {19}, "未知错误代码：19"},
        {"/home/u/工具.sh", {5, 0, EACCES, Cause::NotExecutable}, "文件没有可执行权限"},
        {"/media/u/Tool.AppImage", {5, 0, EACCES, Cause::NoExecMount}, "不允许运行程序"},
        {"/home/u/bin", {5, 0, EACCES, Cause::Folder}, "这是一个文件夹"},
        {"/home/u/Desktop/firefox.desktop", {11, 0, ENOEXEC, Cause::DesktopFile}, "Exec="},
        {"/opt/a", {5, 0, EACCES, Cause::Unknown}, "没有权限访问或运行该文件"},
        {"/opt/b", {26, 0, ETXTBSY, Cause::Unknown}, "文件正被写入"},
        {"/opt/c", {31, 0, 200, Cause::Unknown}, "系统错误（错误号 200）"},
    };
    const int n = int(std::size(rows));
    TestEnvironment env;
    QStringList paths;
    for (const auto& row : rows) {
        env.launcher->failures[row.path] = row.result;
        paths << row.path;
    }
    // A path too long to show whole, one of control characters, and a last plain failure.
    const QString longPath = "/opt/" + QString(2000, u'长');
    const QString garbage = QString::fromUtf16(u"\0\x1b\r/x", 5);
    paths << longPath << garbage << "/opt/没有/b";
    for (const QString& path : paths.mid(n))
        env.launcher->codes[path] = 2;
    const QString old = "2026/12/01  9:00:00  旧的一行\r\n";
    env.WriteProgramFile("AutoRunErrorLog.txt", old);
    QString logWhileOpen;
    int startsWhileOpen = 0;
    env.ui.WhileOpen = [&](const FakeUi::Call&) {
        logWhileOpen = Log(env);
        startsWhileOpen = int(env.launcher->calls.size());
    };
    AutoRunPrograms& a = Start(env, paths.join("\r\n") + "\r\n");
    EXPECT_EQ(env.launcher->paths(), paths);
    const QString first = "C:\\没有\\a.exe运行失败:原因:内存或者资源不足";
    EXPECT_EQ(env.ui.Texts("message"), QStringList{first});
    EXPECT_EQ(logWhileOpen, old);
    EXPECT_EQ(startsWhileOpen, 1);

    ASSERT_TRUE(Log(env).startsWith(old + "2026/12/09  10:00:00  " + first + "\r\n"));
    const QStringList logged = Log(env).mid(old.size()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(logged.size(), paths.size());
    for (int i = 0; i < n; ++i) {
        const QString message = logged[i].section("  ", 2);
        const QString head = rows[i].path + "运行失败:原因:";
        if (rows[i].result.error == 0)
            EXPECT_EQ(message, head + rows[i].reason);
        else
            EXPECT_TRUE(message.startsWith(head) && message.contains(rows[i].reason))
                << message.toStdString();
    }
    const QString longText = "/opt/" + QString(255, u'长') + "…运行失败:原因:指定的文件不存在";
    EXPECT_EQ(logged[n].section("  ", 2), longText);
    EXPECT_TRUE(logged[n + 1].contains("\uFFFD\uFFFD\uFFFD/x运行失败"));
    EXPECT_EQ(a.LastFailure, "/opt/没有/b运行失败:原因:指定的文件不存在");
}

TEST(AutoRunPrograms, AddingAppendsThePathAndACancelledDialogStillReloads)
{
    TestEnvironment env;
    AutoRunPrograms& a = Start(env, "");
    EXPECT_EQ(Grid(a), QStringList{""});

    env.ui.fileAnswers = {QString("/opt/工具 箱/run me.sh"), QString("/opt/工具 箱/run me.sh")};
    a.AddAutoRunButton->click();
    a.AddAutoRunButton->click();
    EXPECT_EQ(env.ReadProgramFile("AutoRunApplication"),
              "/opt/工具 箱/run me.sh\r\n/opt/工具 箱/run me.sh\r\n");
    EXPECT_EQ(Grid(a), QStringList({"/opt/工具 箱/run me.sh", "/opt/工具 箱/run me.sh"}));
    EXPECT_EQ(env.ui.Texts("file"),
              QStringList({"请选择要开机启动的程序", "请选择要开机启动的程序"}));

    // Cancelled: nothing written, the log view gives way to the grid, the list is read again.
    env.WriteProgramFile("AutoRunApplication", "/usr/bin/xterm\r\n");
    env.WriteProgramFile("AutoRunErrorLog.txt", "2026/12/01  9:00:00  x\r\n");
    a.LookAutoRunErrorButton->click();
    ASSERT_FALSE(a.AutoRunErrorMemo->isHidden());
    env.ui.fileAnswers = {std::nullopt};
    a.AddAutoRunButton->click();
    EXPECT_TRUE(a.AutoRunErrorMemo->isHidden());
    EXPECT_FALSE(a.AutoRunStringGrid->isHidden());
    EXPECT_EQ(Grid(a), QStringList{"/usr/bin/xterm"});
    EXPECT_EQ(env.ReadProgramFile("AutoRunApplication"), "/usr/bin/xterm\r\n");
#ifndef Q_OS_WIN
    EXPECT_FALSE(a.AddAutoRunButton->toolTip().contains("最小化"))
        << "nothing starts minimised here";
#endif
}

// Names outside GBK: written, read after a restart and started by exactly that path.
TEST(AutoRunPrograms, PathsInAnyScriptSurviveARestart)
{
    TestEnvironment env;
    // Written by an earlier version in GBK, the euro sign as its single byte.
    AutoRunPrograms& a = Start(env, "/opt/工具/€报表.sh\r\n");
    const QStringList paths = {"/home/jörg/Übersicht.sh", "/home/josé/straße/한글 😀.AppImage"};
    env.ui.fileAnswers = {paths[0], paths[1]};
    a.AddAutoRunButton->click();
    a.AddAutoRunButton->click();
    env.launcher->calls.clear();
    env.Restart();
    EXPECT_EQ(env.launcher->paths(), QStringList({"/opt/工具/€报表.sh", paths[0], paths[1]}));
    EXPECT_EQ(Grid(env.Feature<AutoRunPrograms>()),
              QStringList({"/opt/工具/€报表.sh", paths[0], paths[1]}));
}

TEST(AutoRunPrograms, DeletingRewritesTheListFromTheGrid)
{
    TestEnvironment env;
    AutoRunPrograms& a = Start(env, "C:\\一.exe\r\nC:\\二.exe\r\nC:\\三.exe\r\n");
    a.AutoRunStringGrid->selectRow(1);
    a.DeleteAutoRun->trigger();
    EXPECT_EQ(Grid(a), QStringList({"C:\\一.exe", "C:\\三.exe"}));
    EXPECT_EQ(env.ReadProgramFile("AutoRunApplication"), "C:\\一.exe\r\nC:\\三.exe\r\n");

    a.AutoRunStringGrid->selectRow(1);
    a.DeleteAutoRun->trigger();
    a.AutoRunStringGrid->selectRow(0);
    a.DeleteAutoRun->trigger();
    EXPECT_EQ(Grid(a), QStringList{""});
    EXPECT_EQ(env.ReadProgramFile("AutoRunApplication"), "\r\n");
    // The emptied list starts nothing at the next start.
    env.launcher->calls.clear();
    env.Restart();
    EXPECT_TRUE(env.launcher->calls.empty());
    EXPECT_EQ(Grid(env.Feature<AutoRunPrograms>()), QStringList{""});
}

TEST(AutoRunPrograms, TheLogViewerShowsTheLogOrSaysThereIsNone)
{
    TestEnvironment env;
    AutoRunPrograms& a = Start(env, "");
    a.LookAutoRunErrorButton->click();
    EXPECT_EQ(env.ui.Texts("message"), QStringList{"目前没有启动失败的程序"});
    EXPECT_TRUE(a.AutoRunErrorMemo->isHidden());
    EXPECT_FALSE(a.AutoRunStringGrid->isHidden());

    env.WriteProgramFile(
        "AutoRunErrorLog.txt",
        "2026/12/01  9:00:00  甲运行失败\r\n2026/12/02  9:00:00  未知错误代码：5\r\n");
    a.LookAutoRunErrorButton->click();
    a.LookAutoRunErrorButton->click();
    EXPECT_FALSE(a.AutoRunErrorMemo->isHidden());
    EXPECT_TRUE(a.AutoRunStringGrid->isHidden());
    EXPECT_EQ(a.AutoRunErrorMemo->toPlainText(),
              "2026/12/01  9:00:00  甲运行失败\n2026/12/02  9:00:00  未知错误代码：5");
}

} // namespace

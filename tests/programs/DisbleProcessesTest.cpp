#include "support/TestEnvironment.h"

#include "programs/DisbleProcessForm.h"
#include "programs/DisbleProcesses.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTest>

namespace {

// Monday 2026/12/07; the week runs Sunday 12/06 to Saturday 12/12.
const QDate kMonday(2026, 12, 7);

void WriteList(const TestEnvironment& env, const QString& text)
{
    QDir().mkpath(env.ProgramDir());
    QFile file(env.ProgramDir() + "DisbleProcessList");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringEncoder("GBK").encode(text));
}

QString ReadList(const TestEnvironment& env)
{
    QFile file(env.ProgramDir() + "DisbleProcessList");
    return file.open(QIODevice::ReadOnly) ? QStringDecoder("GBK").decode(file.readAll())
                                          : QString("<absent>");
}

QStringList Grid(const DisbleProcesses& d)
{
    QStringList rows;
    for (int r = 0; r < d.DisbleProcessStringGrid->rowCount(); ++r)
        rows << GridRow(d.DisbleProcessStringGrid, r).join(u'|');
    return rows;
}

DisbleProcesses& Start(TestEnvironment& env, const QString& list)
{
    WriteList(env, list);
    return env.Start<DisbleProcesses>();
}

// True when a tick at `day` (days after Monday) and `time` asks the window to close.
bool ClosesAt(TestEnvironment& env, int day, const QTime& time, const QString& title)
{
    env.windows->closeRequests.clear();
    env.clock->Set(kMonday.addDays(day), time);
    env.RunTick();
    return env.windows->closeRequests.contains(title);
}

// Keys into a masked field, as typed; other text (Chinese) as pasted.
void Type(QLineEdit* edit, const QString& text)
{
    if (edit->inputMask().isEmpty()) {
        edit->setText(text);
        return;
    }
    edit->selectAll();
    edit->del();
    edit->home(false);
    QTest::keyClicks(edit, text);
}

//! Types a row into the dialog as it is shown and presses its add button.
void AddRow(TDisbleProcessForm& f, const QString& title, const QString& from, const QString& to)
{
    Type(f.DisbleProcessEdit, title);
    Type(f.DisbleProcessTimeUpMaskEdit, from);
    Type(f.DisbleProcessTimeDownMaskEdit, to);
    f.AdddisbleProcessButton->click();
}

TEST(DisbleProcesses, MondayToFridayEightToFiveInEitherOrder)
{
    const struct {
        int day;
        QTime time;
        bool closes;
    } instants[] = {
        {0, QTime(8, 0, 0, 500), true},    {0, QTime(12, 0), true},
        {0, QTime(16, 59, 59, 900), true}, {0, QTime(17, 0, 0, 500), false},
        {0, QTime(7, 59, 59, 900), false}, {4, QTime(12, 0), true},
        {5, QTime(12, 0), false},          {-1, QTime(12, 0), false},
        {0, QTime(8, 0, 0, 0), true},      {0, QTime(0, 0), false},
    };
    for (const QString& record : {QString("记事本 星期一 星期五 08:00:00 17:00:00\n"),
                                  QString("记事本 星期五 星期一 17:00:00 08:00:00\n"),
                                  QString("记事本 星期一 星期五 8:00:00 17:00:00\n")}) {
        SCOPED_TRACE(record.toStdString());
        TestEnvironment env;
        env.windows->titles = {"记事本", "记事本 2"};
        Start(env, record);
        for (const auto& at : instants)
            EXPECT_EQ(ClosesAt(env, at.day, at.time, "记事本"), at.closes)
                << at.day << " " << at.time.toString("hh:mm:ss.zzz").toStdString();
        EXPECT_FALSE(env.windows->closeRequests.contains("记事本 2"));
    }
}

TEST(DisbleProcesses, RowsAreIndependentAndBrokenRowsAreSkipped)
{
    TestEnvironment env;
    env.windows->titles = {"甲", "乙", "丙", "丁", "Media Player"};
    Start(env, "甲 星期一 星期一 09:00:00 10:00:00\n"
               "乙 Monday 星期五 00:00:00 23:59:59\n" // one day typed by hand: never in force
               "丙 星期一 星期五 25:61:00 23:59:59\n" // no such time
               "丁 星期一 星期五\n"                   // times missing
               "无窗口 星期日 星期六 00:00:00 23:59:59\n"
               "Media Player 星期日 星期六 00:00:00 23:59:59\n");
    EXPECT_TRUE(ClosesAt(env, 0, QTime(9, 30), "甲"));
    EXPECT_EQ(env.windows->closeRequests, QStringList({"甲", "Media Player"}));
    EXPECT_FALSE(ClosesAt(env, 0, QTime(11, 0), "甲"));
    EXPECT_EQ(env.windows->closeRequests, QStringList({"Media Player"}));
}

TEST(DisbleProcesses, ATitleWithSpacesIsStoredReadBackAndEnforced)
{
    TestEnvironment env;
    DisbleProcesses& d = Start(env, "");
    TDisbleProcessForm& f = *d.DisbleProcessForm;
    d.AdddisbleProcessButton->click();
    f.DisbleProcessWeekUpComboBox->setCurrentIndex(1);
    f.DisbleProcessWeekDownComboBox->setCurrentIndex(5);
    AddRow(f, "无标题 - 记事本", "080000", "170000");
    EXPECT_EQ(env.ui.Texts("message"), QStringList{"添加成功"});
    EXPECT_EQ(ReadList(env), "无标题 - 记事本 星期一 星期五 08:00:00 17:00:00\n");
    EXPECT_FALSE(f.isVisible());

    env.Restart();
    DisbleProcesses& again = env.Feature<DisbleProcesses>();
    EXPECT_EQ(Grid(again), QStringList{"无标题 - 记事本|星期一|星期五|08:00:00|17:00:00"});
    env.windows->titles = {"无标题 - 记事本", "无标题"};
    EXPECT_TRUE(ClosesAt(env, 2, QTime(9, 0), "无标题 - 记事本"));
    EXPECT_EQ(env.windows->closeRequests, QStringList{"无标题 - 记事本"});
}

// The dialog refuses a missing name and times that do not exist; a good row is kept even where
// windows cannot be closed, and the message says so.
TEST(DisbleProcesses, TheDialogRefusesBadRowsAndKeepsAGoodOneWhereWindowsCannotBeClosed)
{
    const QString kept = "记事本 星期日 星期日 08:00:00 17:00:00\n";
    const struct {
        QString name, from, to, message;
        QString stored; //!< the list afterwards; empty when the dialog refused
        bool closable = true;
    } rows[] = {
        {"", "080000", "170000", "请输入一个有效的名称"},
        {"   ", "080000", "170000", "请输入一个有效的名称"},
        {"记事本", "256100", "170000", "请输入有效的时间段"},
        {"记事本", "080000", "", "请输入有效的时间段"},
        {"记事本", "0800", "170000", "请输入有效的时间段"},
        {"记事本", "080000", "170000", "添加成功", kept},
        {"记事本", "080000", "170000", "添加成功", kept, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString() + " " + row.from.toStdString() + " " +
                     (row.closable ? "closable" : "not closable"));
        TestEnvironment env;
        env.windows->closable = row.closable;
        DisbleProcesses& d = Start(env, "");
        TDisbleProcessForm& f = *d.DisbleProcessForm;
        d.AdddisbleProcessButton->click();
        AddRow(f, row.name, row.from, row.to);
        ASSERT_EQ(env.ui.Count("message"), 1);
        const QString said = env.ui.Texts("message")[0];
        EXPECT_TRUE(said.startsWith(row.message)) << said.toStdString();
        EXPECT_EQ(said.contains("不允许关闭其他程序的窗口"), !row.closable) << said.toStdString();
        EXPECT_EQ(f.isVisible(), row.stored.isEmpty());
        EXPECT_EQ(ReadList(env), row.stored);
    }
}

TEST(DisbleProcesses, AWeekdayTypedByHandIsKeptButNeverEnforced)
{
    TestEnvironment env;
    env.windows->titles = {"记事本"};
    DisbleProcesses& d = Start(env, "");
    TDisbleProcessForm& f = *d.DisbleProcessForm;
    f.DisbleProcessWeekUpComboBox->setEditText("Monday");
    f.DisbleProcessWeekDownComboBox->setEditText("星期 五");
    AddRow(f, "记事本", "000000", "235959");
    EXPECT_EQ(Grid(d)[0], "记事本|Monday|星期_五|00:00:00|23:59:59");
    for (int day = -1; day < 6; ++day)
        EXPECT_FALSE(ClosesAt(env, day, QTime(12, 0), "记事本"));
}

TEST(DisbleProcesses, DeletingRewritesTheListAndTheOnlyRowLeavesOneEmptyRow)
{
    TestEnvironment env;
    env.windows->titles = {"甲", "乙", "丙"};
    DisbleProcesses& d = Start(env, "甲 星期日 星期六 00:00:00 23:59:59\n"
                                    "乙 星期日 星期六 00:00:00 23:59:59\n"
                                    "丙 星期日 星期六 00:00:00 23:59:59\n");
    d.DisbleProcessStringGrid->selectRow(0);
    d.DeleteDisbleProcess->trigger();
    EXPECT_EQ(ReadList(env), "乙 星期日 星期六 00:00:00 23:59:59\n"
                             "丙 星期日 星期六 00:00:00 23:59:59\n");
    EXPECT_TRUE(ClosesAt(env, 0, QTime(12, 0), "乙"));
    EXPECT_FALSE(env.windows->closeRequests.contains("甲"));

    d.DeleteDisbleProcessRow(0);
    d.DeleteDisbleProcessRow(0);
    EXPECT_EQ(Grid(d), QStringList{"||||"});
    EXPECT_EQ(ReadList(env), "    \n");
    EXPECT_FALSE(ClosesAt(env, 0, QTime(12, 0), "丙"));
    env.Restart();
    EXPECT_EQ(Grid(env.Feature<DisbleProcesses>()), QStringList({"||||", "||||", "||||", "||||"}));
}

// Armed, the windows are looked for every second (the pacer must not sleep); a list without
// a row that can be in force lets it sleep. Each change of the two re-aims it at once.
TEST(DisbleProcesses, OnlyARowThatCanBeInForceKeepsTheTicksComing)
{
    TestEnvironment env;
    DisbleProcesses& d = Start(env, "");
    FeatureContext& ctx = env.Host().Context();
    int replans = 0;
    ctx.SetReplanned([&] { ++replans; });
    const LocalMoment now = ctx.Now();
    EXPECT_EQ(ctx.NextTickSecond(now), std::nullopt);
    ASSERT_TRUE(d.AppendDisbleProcess({"甲", "周一", "星期五", "08:00:00", "17:00:00"}));
    EXPECT_EQ(ctx.NextTickSecond(now), std::nullopt) << "a weekday typed by hand";
    ASSERT_TRUE(d.AppendDisbleProcess({"乙", "星期日", "星期六", "08:00:00", "17:00:00"}));
    EXPECT_EQ(replans, 1);
    EXPECT_EQ(ctx.NextTickSecond(now), SecondOf(now) + 1);
    d.DeleteDisbleProcessRow(1);
    EXPECT_EQ(replans, 2);
    EXPECT_EQ(ctx.NextTickSecond(now), std::nullopt);
}

} // namespace

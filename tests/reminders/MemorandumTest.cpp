#include "support/OrdinaryUser.h"
#include "support/TestEnvironment.h"

#include "core/FeatureContext.h"
#include "reminders/AlarmClocks.h"
#include "reminders/Memorandum.h"
#include "reminders/MemorandumForm.h"

#include <gtest/gtest.h>

#include <functional>

#include <QAction>
#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

// FakeClock starts on Wednesday 2026/12/09 at 10:00:00.
const QString kToday = "2026/12/09";
const QString kTomorrow = "2026/12/10";

QByteArray StoreBytes(const TestEnvironment& env)
{
    QFile file(env.ProgramDir() + "Memorandum.txt");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

QStringList Grid(const Memorandum& m)
{
    QStringList rows;
    for (int r = 0; r < m.MemorandumStringGrid->rowCount(); ++r)
        rows << m.Row(r).join(u'|');
    return rows;
}

Memorandum& Start(TestEnvironment& env, const QString& store)
{
    env.WriteProgramFile("Memorandum.txt", store);
    return *env.Start<Pages::Reminders>().Memoranda;
}

void Type(TestEnvironment& env, const QDate& date, const QString& time, const QString& text)
{
    TMemorandumForm& f = *env.View().Memoranda->MemorandumForm;
    env.View().Memoranda->AddMemorandumButton->click();
    f.MemorandumMonthCalendar->setSelectedDate(date);
    f.MemorandumTimeMaskEdit->selectAll();
    QTest::keyClicks(f.MemorandumTimeMaskEdit, time);
    f.MemorandumMemo->setPlainText(text);
    f.AddMemorandumButton->click();
}

TEST(Memorandum, DeletingFirstMiddleOrLastRewritesTheStoreFromTheGrid)
{
    const QString store = "2026/12/20 08:00:00 甲\n\n   \n2026/12/21 9:00:00\t乙 多余\n"
                          "2026/12/22 10:00:00 丙";
    const QStringList rows = {"2026/12/20|08:00:00|甲", "2026/12/21|9:00:00|乙",
                              "2026/12/22|10:00:00|丙"};
    for (int row = 0; row < 3; ++row) {
        TestEnvironment env;
        Memorandum& m = Start(env, store);
        ASSERT_EQ(Grid(m), rows);
        m.MemorandumStringGrid->selectRow(row);
        m.Delete->trigger();
        QStringList left = rows;
        left.removeAt(row);
        EXPECT_EQ(Grid(m), left);
        EXPECT_EQ(env.ReadProgramFile("Memorandum.txt"),
                  left.join("\r\n").replace(u'|', u' ') + "\r\n");
    }
}

TEST(Memorandum, DeletingTheOnlyNoteLeavesOneEmptyRowAndALineOfTwoSpaces)
{
    TestEnvironment env;
    Memorandum& m = Start(env, "2026/12/20 08:00:00 甲\n");
    m.DeleteMemorandum(0);
    EXPECT_EQ(Grid(m), QStringList({"||"}));
    EXPECT_EQ(StoreBytes(env), "  \r\n");
    env.Stop();
    EXPECT_EQ(Grid(*env.Start<Pages::Reminders>().Memoranda), QStringList(4, "||"));
}

TEST(Memorandum, ANoteIsAddedAsOneGbkLineOnItsOwnLineAndTheDialogClosesEmpty)
{
    TestEnvironment env;
    Start(env, "2026/12/20 08:00:00 a"); // a hand-edited last line without its end
    Type(env, QDate(2026, 12, 9), "8:30:00", "交电费");
    TMemorandumForm& f = *env.View().Memoranda->MemorandumForm;
    EXPECT_EQ(env.ui.Texts("message"), QStringList({"添加备忘录成功"}));
    EXPECT_EQ(StoreBytes(env), QByteArray("2026/12/20 08:00:00 a\r\n"
                                          "2026/12/09 8:30:00 \xbd\xbb\xb5\xe7\xb7\xd1\r\n"));
    EXPECT_EQ(Grid(*env.View().Memoranda),
              QStringList({"2026/12/20|08:00:00|a", "2026/12/09|8:30:00|交电费"}));
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.MemorandumMemo->toPlainText().isEmpty());
    EXPECT_EQ(f.MemorandumTimeMaskEdit->text(), "8:30:00") << "kept for the next note";
}

TEST(Memorandum, RefusedEntriesWriteNothingAndKeepTheDialogOpen)
{
    struct Row {
        QDate date;
        QString time, text, message;
    };
    const QString refused = "请输入一个有效的日期或者请填写备忘录内容,注意请勿输入空格";
    const Row rows[] = {
        {QDate(2026, 12, 9), "10:00:00", "买菜 做饭", refused},
        {QDate(2026, 12, 9), "10:00:00", "买菜\t做饭", refused},
        {QDate(2026, 12, 9), "10:00:00", "买菜\n做饭", refused},
        {QDate(2026, 12, 9), "10:00:00", "", refused},
        {QDate(2026, 12, 8), "10:00:00", "昨天", refused},
        {QDate(2026, 12, 9), "1", "时间", "请输入一个正确的时间格式:如　12:12:00"},
    };
    for (const Row& row : rows) {
        TestEnvironment env;
        env.Start<Pages::Reminders>();
        Type(env, row.date, row.time, row.text);
        TMemorandumForm& f = *env.View().Memoranda->MemorandumForm;
        EXPECT_EQ(env.ui.Texts("message"), QStringList({row.message})) << row.text.toStdString();
        EXPECT_EQ(StoreBytes(env), "<absent>");
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.MemorandumMemo->toPlainText(), row.text);
    }
}

TEST(Memorandum, LongContentIsCutAt250CharactersAndReadBackWhole)
{
    TestEnvironment env;
    env.Start<Pages::Reminders>();
    Type(env, QDate(2026, 12, 31), "23:00:00", QString(300, u'长'));
    EXPECT_TRUE(StoreBytes(env).startsWith("2026/12/31 23:00:00 ")) << "a store made by the add";
    const QString cell = env.View().Memoranda->Row(0)[2];
    EXPECT_EQ(cell, QString(250, u'长')) << "a 520-byte line comes back whole";

    // A character outside the basic plane is two UTF-16 units: never cut in half.
    const QString wide = QString(249, u'a') + QString::fromUcs4(U"😀") + "b";
    EXPECT_EQ(Memorandum::CutContent(wide), QString(249, u'a'));
}

TEST(Memorandum, ANoteRingsInItsSecondAndIsRemovedOnTheFirstTickOfTheNextDay)
{
    TestEnvironment env;
    Memorandum& m = Start(env, kToday + " 8:30:00 开会\n2026/12/20 08:00:00 后面\n");
    env.clock->Set(QDate(2026, 12, 9), QTime(8, 29, 59));
    env.Tick();
    env.Tick(0);
    EXPECT_EQ(env.ui.Texts("yesonly"),
              QStringList({"您今天有重要的事情：2026/12/09 8:30:00\n开会"}));
    EXPECT_EQ(env.player->log.first(), "open " + env.View().Alarms->PlayerFile());
    EXPECT_FALSE(env.player->open);

    env.clock->Set(QDate(2026, 12, 9), QTime(23, 59, 58));
    env.Tick();
    EXPECT_EQ(m.MemorandumStringGrid->rowCount(), 2);
    env.Tick();
    EXPECT_EQ(Grid(m), QStringList({"2026/12/20|08:00:00|后面"}));
    EXPECT_EQ(StoreBytes(env), "2026/12/20 08:00:00 \xba\xf3\xc3\xe6\r\n");
}

TEST(Memorandum, PastNotesGoUnreadableRowsStayAndANoteDueRightAfterAPastOneRings)
{
    TestEnvironment env;
    const QString unreadable = "2026/13/45 10:00:01 坏日期\n昨天 10:00:01 字\n"
                               "2026/12/01 1x:00:00 旧\n" +
                               kToday + " 10:00:01:9 多段\n";
    Memorandum& m = Start(env, unreadable + "2026/12/01 10:00:00 旧\n2026/12/02 10:00:00 旧二\n" +
                                   kToday + " 10:00:01 新\n");
    env.Tick();
    EXPECT_EQ(env.ui.Texts("yesonly"),
              QStringList({"您今天有重要的事情：2026/12/09 10:00:01\n新"}));
    EXPECT_EQ(env.ReadProgramFile("Memorandum.txt"),
              QString(unreadable + kToday + " 10:00:01 新\n").replace("\n", "\r\n"));
    env.Tick(86400);
    EXPECT_EQ(env.ui.calls.size(), 1u);
    EXPECT_EQ(m.MemorandumStringGrid->rowCount(), 4);
    EXPECT_EQ(env.ReadProgramFile("Memorandum.txt"), QString(unreadable).replace("\n", "\r\n"));
}

TEST(Memorandum, TheTomorrowNoticeComesOnceUntilANoteHasRung)
{
    TestEnvironment env;
    Start(env, kTomorrow + " 07:00:00 第一件\n" + kTomorrow + " 08:00:00 第二件\n" + kToday +
                   " 10:00:03 今天\n");
    env.Tick();
    env.Tick();
    EXPECT_EQ(env.ui.Texts("balloon"),
              QStringList({"明天您有重要的事情:\n时间: 07:00:00\n内容：第一件"}));
    EXPECT_EQ(env.ui.calls[0].title, "Varnel 提醒您");
    env.Tick(); // the note of today rings and arms the notice again
    EXPECT_EQ(env.ui.Count("yesonly"), 1);
    EXPECT_EQ(env.ui.Count("balloon"), 1);
    env.Tick();
    EXPECT_EQ(env.ui.Count("balloon"), 2);
}

TEST(Memorandum, DeletingRowsWhileARingIsOpenTouchesOnlyThoseRows)
{
    TestEnvironment env;
    Memorandum& m = Start(env, kToday + " 10:00:01 一\n" + kToday + " 10:00:01 二\n" +
                                   "2026/12/20 10:00:00 三\n2026/12/21 10:00:00 四\n");
    int depth = 0;
    env.ui.WhileOpen = [&](const FakeUi::Call& call) {
        if (call.kind != "yesonly" || depth++ > 0)
            return;
        // Inside the first box: later ticks run, and the user deletes the ringing note
        // and the third one.
        env.Tick();
        m.MemorandumStringGrid->selectRow(0);
        m.DeleteClick();
        m.MemorandumStringGrid->selectRow(1);
        m.DeleteClick();
    };
    env.Tick();
    EXPECT_EQ(env.ui.Texts("yesonly"),
              QStringList({"您今天有重要的事情：2026/12/09 10:00:01\n一",
                           "您今天有重要的事情：2026/12/09 10:00:02\n二"}));
    EXPECT_EQ(Grid(m), QStringList({"2026/12/09|10:00:01|二", "2026/12/21|10:00:00|四"}));
    EXPECT_EQ(env.ReadProgramFile("Memorandum.txt"),
              kToday + " 10:00:01 二\r\n2026/12/21 10:00:00 四\r\n");
}

TEST(Memorandum, AStoreThatCannotBeWrittenIsReportedAndKeepsItsNotes)
{
    TestEnvironment env;
    Memorandum& m = Start(env, "2026/12/01 10:00:00 旧\n2026/12/20 08:00:00 甲");
    const QString path = env.ProgramDir() + "Memorandum.txt";
    // Every rewrite goes through a temporary file in the program folder: a folder of the
    // same name stands in for one the system refuses.
    ASSERT_TRUE(QDir().mkpath(path + ".blocked"));
    QFile::rename(path, path + ".keep");
    QDir().rename(path + ".blocked", path);

    env.Tick();
    env.Tick();
    m.DeleteMemorandum(1);
    Type(env, QDate(2026, 12, 30), "10:00:00", "新");
    const QStringList messages = env.ui.Texts("message");
    ASSERT_EQ(messages.size(), 3) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages[0].startsWith("无法写入备忘录文件") &&
                messages[0].endsWith("过期的备忘录没有删除"));
    EXPECT_TRUE(messages[1].endsWith("备忘录没有删除"));
    EXPECT_TRUE(messages[2].startsWith("无法读取备忘录文件") &&
                messages[2].endsWith("备忘录没有添加"));
    EXPECT_EQ(m.MemorandumStringGrid->rowCount(), 2);
    EXPECT_TRUE(m.MemorandumForm->isVisible());
}

TEST(Memorandum, AStoreThatCannotBeReadIsNeverOverwritten)
{
    TestEnvironment env;
    env.WriteProgramFile("Memorandum.txt", "2026/12/01 10:00:00 旧\n2026/12/20 08:00:00 甲");
    const QByteArray kept = StoreBytes(env);
    const QString path = env.ProgramDir() + "Memorandum.txt";
    // Anyone may replace the file in its folder; only reading it is refused.
    QFile::setPermissions(env.ProgramDir() + "..", QFileDevice::Permissions(0x7711));
    QFile::setPermissions(env.ProgramDir(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const std::optional<int> status = RunAsOrdinaryUser([&] {
        if (QFile(path).open(QIODevice::ReadOnly))
            return kSkip;
        Memorandum& m = *env.Start<Pages::Reminders>().Memoranda;
        env.Tick();
        m.DeleteMemorandum(0);
        Type(env, QDate(2026, 12, 30), "10:00:00", "新");
        const QStringList messages = env.ui.Texts("message");
        return messages.size() == 3 && messages[0].startsWith("无法读取备忘录文件") &&
                       messages[2].endsWith("备忘录没有添加")
                   ? 0
                   : 1;
    });
    if (!status)
        GTEST_SKIP() << "no unprivileged user to read as";
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(StoreBytes(env), kept);
}

// The times the ring boxes name, second by second from the clock's reading on.
QStringList RingsOver(TestEnvironment& env, int seconds)
{
    QStringList rung;
    for (int s = 0; s < seconds; ++s) {
        env.Tick(s == 0 ? 0 : 1);
        for (const QString& text : env.ui.Texts("yesonly"))
            rung << text.mid(text.indexOf(u'：') + 1);
        env.ui.Clear();
    }
    return rung;
}

TEST(Memorandum, WhatComesNextAmongAThousandNotesIsWhatTheTicksRing)
{
    TestEnvironment env;
    // A thousand notes from the 12th on, past the three days asked about.
    QString store;
    for (int i = 0; i < 1000; ++i)
        store += QString("2026/12/%1 10:00:%2 第%3条\n")
                     .arg(12 + i % 15)
                     .arg(i % 60, 2, 10, QChar(u'0'))
                     .arg(i);
    Start(env, store + kToday + " 10:00:03 现在\n" + kToday + " 10:00:05 一\n" + kToday +
                   " 10:00:05 一\n" + kToday + " 9:00:00 已过\n" + kTomorrow +
                   " 8:00:00 二\n2026/12/11 23:59:59 三\n2026/12/12 10:00:00 太晚\n"
                   "2026/13/01 8:00:00 坏\n");
    const LocalMoment from = env.Host().Context().Now();
    const LocalMoment to{from.date.addDays(3), QTime(9, 59, 59)};
    QStringList listed;
    for (const Occurrence& o : env.Host().Context().Upcoming(from, to).timed) {
        EXPECT_EQ(o.feature, "备忘录");
        listed << DateText(o.when.date) + u' ' + TimeText(o.when.time) + u'\n' + o.what;
    }
    EXPECT_EQ(listed, RingsOver(env, 3 * 86400));
    EXPECT_EQ(listed.size(), 4);
    EXPECT_EQ(listed.value(0), "2026/12/09 10:00:03\n现在");
}

// Each case changes the list or the clock after the day was worked out: the next second
// must act on what is there now.
TEST(Memorandum, ChangesTakeEffectInTheNextSecond)
{
    const struct {
        const char* name;
        std::function<void(TestEnvironment&, Memorandum&)> change;
        QStringList rung;
    } cases[] = {
        {"added",
         [](TestEnvironment&, Memorandum& m) { m.AppendMemorandum(kToday, "10:00:02", "新"); },
         {"2026/12/09 10:00:02\n旧", "2026/12/09 10:00:02\n新"}},
        {"deleted", [](TestEnvironment&, Memorandum& m) { m.DeleteMemorandum(0); }, {}},
        {"midnight",
         [](TestEnvironment& env, Memorandum& m) {
             m.AppendMemorandum(kTomorrow, "0:00:00", "午夜");
             env.clock->Set(QDate(2026, 12, 9), QTime(23, 59, 59));
         },
         {"2026/12/10 0:00:00\n午夜"}},
        {"clock set back",
         [](TestEnvironment& env, Memorandum&) {
             env.clock->Set(QDate(2026, 12, 8), QTime(10, 0, 1));
         },
         {}},
        {"clock set forward",
         [](TestEnvironment& env, Memorandum&) {
             env.clock->Set(QDate(2026, 12, 20), QTime(9, 59, 59));
         },
         {"2026/12/20 10:00:00\n远"}},
    };
    for (const auto& c : cases) {
        TestEnvironment env;
        Memorandum& m = Start(env, kToday + " 10:00:02 旧\n2026/12/20 10:00:00 远\n");
        env.Tick(0);
        c.change(env, m);
        env.ui.Clear();
        EXPECT_EQ(RingsOver(env, 3), c.rung) << c.name;
    }
}

} // namespace

#include "support/FakeUi.h"
#include "support/OrdinaryUser.h"

#include "core/ListFile.h"
#include "platform/linux/QtAnsiCodePage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

struct World {
    QTemporaryDir dir;
    platform::QtAnsiCodePage ansi;
    FakeUi ui;
    QString Path() const { return dir.path() + "/List"; }
    ListFile File(ListFile::Layout layout)
    {
        return ListFile(ansi, ui, Path(), "列表文件", layout);
    }
    void Write(const QByteArray& bytes) const
    {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Bytes() const
    {
        QFile f(Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST(ListFile, EachLayoutReadsItsFieldsAndWritesThemBack)
{
    struct Row {
        ListFile::Layout layout;
        QByteArray line;
        QStringList fields;
    };
    const Row rows[] = {
        // Names with spaces are the normal case for window titles: the last four words are
        // the fixed fields, everything before them the name.
        {{5, ListFile::Rest::IntoFirst, "\n"},
         "无标题 - 记事本 星期一 星期五 08:00:00 17:00:00\n",
         {"无标题 - 记事本", "星期一", "星期五", "08:00:00", "17:00:00"}},
        {{5, ListFile::Rest::IntoFirst, "\n"}, "记事本 星期一\n", {"记事本", "星期一", "", "", ""}},
        {{3, ListFile::Rest::IntoLast, "\r\n"},
         "每天 7:30:00 BBC World  Service \r\n",
         {"每天", "7:30:00", "BBC World  Service"}},
        {{3, ListFile::Rest::Drop, "\r\n"},
         "2026/12/09\t08:00:00 开会 多余\r\n",
         {"2026/12/09", "08:00:00", "开会"}},
        {{1, ListFile::Rest::IntoLast, "\r\n"},
         "C:\\Program Files\\A B\\a.exe\r\n",
         {"C:\\Program Files\\A B\\a.exe"}},
    };
    for (const Row& row : rows) {
        World w;
        w.Write(w.ansi.fromUtf16(QString::fromUtf8(row.line).toStdU16String()).c_str());
        ListFile file = w.File(row.layout);
        const std::optional<ListFile::Records> read = file.Read("没有载入");
        ASSERT_TRUE(read);
        ASSERT_EQ(read->size(), 1u) << row.line.constData();
        EXPECT_EQ(read->front(), row.fields) << row.line.constData();
        ASSERT_TRUE(file.Rewrite(*read, "没有删除"));
        EXPECT_EQ(file.Read("")->front(), row.fields)
            << "after a rewrite: " << row.line.constData();
        EXPECT_TRUE(w.Bytes().endsWith(row.layout.lineEnd));
    }
}

TEST(ListFile, ReadsLinesOfAnyLengthWholeSkipsBlankOnesAndAppendsAfterALastLineWithoutEnd)
{
    World w;
    const QByteArray longName(10000, 'x');
    w.Write("Day 08:00:00 " + longName + "\r\n   \r\n\r\nMon 09:00:00 B");
    ListFile file = w.File({3, ListFile::Rest::IntoLast, "\r\n"});
    std::optional<ListFile::Records> read = file.Read("");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ((*read)[0][2].size(), 10000);
    ASSERT_TRUE(file.Append({"星期二", "10:00:00", "C"}, ""));
    read = file.Read("");
    ASSERT_EQ(read->size(), 3u);
    EXPECT_EQ((*read)[1], QStringList({"Mon", "09:00:00", "B"}));
    EXPECT_EQ((*read)[2], QStringList({"星期二", "10:00:00", "C"}));
    // The last record gone: one line of empty fields stays, as the one emptied grid row.
    ASSERT_TRUE(file.Rewrite({}, ""));
    EXPECT_EQ(w.Bytes(), QByteArray("  \r\n"));
    EXPECT_TRUE(file.Read("")->empty());
    EXPECT_TRUE(w.ui.calls.empty());
}

TEST(ListFile, AFileThatCannotBeReadIsReportedAndNeverOverwritten)
{
    World w;
    const QByteArray kept = "2026/12/20 08:00:00 甲\r\n";
    w.Write(kept);
    // Only the file is closed to others: the folder lets anyone replace it.
    QFile::setPermissions(w.dir.path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(w.Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const std::optional<int> status = RunAsOrdinaryUser([&] {
        if (QFile(w.Path()).open(QIODevice::ReadOnly))
            return kSkip;
        ListFile file = w.File({3, ListFile::Rest::Drop, "\r\n"});
        const QString where = "无法读取列表文件“" + QDir::toNativeSeparators(w.Path()) + "”，";
        const bool ok =
            !file.Read("备忘录未能载入") && file.Unreadable() &&
            !file.Rewrite({{"a", "b", "c"}}, "没有删除") &&
            !file.Append({"a", "b", "c"}, "没有添加") &&
            w.ui.Texts("message") ==
                QStringList({where + "备忘录未能载入", where + "没有删除", where + "没有添加"});
        return ok ? 0 : 1;
    });
    if (!status)
        GTEST_SKIP() << "no unprivileged user to read as";
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(w.Bytes(), kept);
}

TEST(ListFile, AGridShowsEveryRecordAndGivesEveryRowBack)
{
    QTableWidget grid(1, 3);
    const ListFile::Records records = {{"a", "1", "x"}, {"b", "2", ""}, {"c", "3", "z z"}};
    ShowRecords(&grid, records);
    EXPECT_EQ(GridRecords(&grid), records);
    ShowRecords(&grid, {});
    EXPECT_EQ(GridRecords(&grid), records) << "nothing read leaves the grid as it was";
}

TEST(ListFile, ARefusedWriteSaysSoOnceNamingTheFile)
{
    World w;
    ListFile file(w.ansi, w.ui, w.dir.path() + "/missing-folder/List", "列表文件",
                  {3, ListFile::Rest::Drop, "\r\n"});
    EXPECT_FALSE(file.Append({"d", "e", "f"}, "没有添加"));
    EXPECT_EQ(w.ui.Count("message"), 1);
    EXPECT_TRUE(w.ui.Texts("message")[0].startsWith("无法写入列表文件"));
    EXPECT_TRUE(w.ui.Texts("message")[0].contains("missing-folder"));
    EXPECT_TRUE(w.ui.Texts("message")[0].endsWith("没有添加"));
}

} // namespace

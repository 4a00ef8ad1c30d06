#include "support/FakeUi.h"

#include "core/ListFile.h"
#include "platform/linux/QtAnsiCodePage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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
    // A folder where the file should be: it exists and cannot be read, whoever we are.
    ASSERT_TRUE(QDir().mkpath(w.Path()));
    ListFile file = w.File({3, ListFile::Rest::Drop, "\r\n"});
    EXPECT_FALSE(file.Read("备忘录未能载入"));
    EXPECT_TRUE(file.Unreadable());
    EXPECT_FALSE(file.Rewrite({{"a", "b", "c"}}, "没有删除"));
    EXPECT_FALSE(file.Append({"a", "b", "c"}, "没有添加"));
    EXPECT_TRUE(QFileInfo(w.Path()).isDir());
    const QString where = QDir::toNativeSeparators(w.Path());
    EXPECT_EQ(w.ui.Texts("message"), QStringList({"无法读取列表文件“" + where + "”，备忘录未能载入",
                                                  "无法读取列表文件“" + where + "”，没有删除",
                                                  "无法读取列表文件“" + where + "”，没有添加"}));
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

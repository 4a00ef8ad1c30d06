#include "support/FakeUi.h"
#include "support/KilledRewrites.h"

#include "core/ListFile.h"
#include "platform/linux/QtAnsiCodePage.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <iostream>

namespace {

struct ListRow {
    const char* name;
    ListFile::Layout layout;
    const char* line; // %1 numbers the record
};

class ListKilledDuringDelete : public ::testing::TestWithParam<ListRow> {};

// Deleting a row rewrites the whole list; killed at any moment, the list is the one before
// the delete or the one after, never a part of either.
TEST_P(ListKilledDuringDelete, LeavesExactlyTheOldOrTheNewList)
{
    QTemporaryDir dir;
    platform::QtAnsiCodePage ansi;
    FakeUi ui;
    ListFile list(ansi, ui, dir.path() + "/List", "列表文件", GetParam().layout);
    ListFile::Records all;
    for (int i = 0; i < 200; ++i)
        all.push_back(list.Split(QString::fromUtf8(GetParam().line).arg(i)));
    ListFile::Records deleted = all;
    deleted.erase(deleted.begin() + 100);

    const KilledRewrites r = KillDuringRewrites(
        list.Path(),
        [&](bool toNew) {
            if (!list.Rewrite(toNew ? deleted : all, QString()))
                throw std::runtime_error("list not written");
        },
        300);
    std::cout << GetParam().name << ": " << r.Summary() << std::endl;
    EXPECT_EQ(r.rounds, 300);
    EXPECT_EQ(r.broken, 0) << r.firstBroken.toStdString();
    EXPECT_GT(r.sawOld, 0);
    EXPECT_GT(r.sawNew, 0);
    EXPECT_GT(r.killedInside, r.rounds / 4) << "kills missed the writes";
}

// The layouts the memorandum and the timed radio give their files.
INSTANTIATE_TEST_SUITE_P(Lists, ListKilledDuringDelete,
                         ::testing::Values(ListRow{"memorandum",
                                                   {3, ListFile::Rest::Drop, "\r\n"},
                                                   "2026/12/%1 19:00:00 晚上给爸妈打电话"},
                                           ListRow{"timings",
                                                   {3, ListFile::Rest::IntoLast, "\r\n"},
                                                   "星期三 7:%1:00 BBC World Service"}));

} // namespace

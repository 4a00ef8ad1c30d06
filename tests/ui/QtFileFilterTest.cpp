#include "ui/QtUiServices.h"

#include <gtest/gtest.h>

namespace {

TEST(QtFileFilterTest, PairsBecomeTheDialogsEntries)
{
    const struct {
        QString given, expected;
    } rows[] = {
        {"*.theme | *.theme", "*.theme (*.theme)"},
        {"*.jpg|*.jpg|*.bmp|*.bmp|*.jpeg|*.jpeg|*.*|*.*",
         "*.jpg (*.jpg);;*.bmp (*.bmp);;*.jpeg (*.jpeg);;*.* (*)"},
        {"图片|*.jpg;*.png", "图片 (*.jpg *.png)"},
        {"*.mp3", "*.mp3"},                // already the dialog's form
        {"odd|*.a|dangling", "odd (*.a)"}, // a description without patterns is dropped
    };
    for (const auto& row : rows)
        EXPECT_EQ(QtFileFilter(row.given).toStdString(), row.expected.toStdString());
}

} // namespace

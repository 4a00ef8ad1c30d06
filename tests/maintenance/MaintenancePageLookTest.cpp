#include "app/Main.h"
#include "maintenance/KeyOptimization.h"
#include "maintenance/RubbishClear.h"
#include "support/LookCheck.h"
#include "support/TestEnvironment.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(MaintenancePageLook, CleaningGroupAndOptimisationButtonFitThePage)
{
    TestEnvironment env;
    env.systemInfo->disk = {41'943'040'000ull, 107'374'182'400ull, 45'000'000'000ull};
    TMainForm& form = env.StartForm();
    form.show();
    form.Page->setCurrentWidget(form.ClearRubbish);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    env.Tick();
    QTest::qWait(50); // the label's new size reaches the layout
    auto* clear = form.Feature<RubbishClear>();
    auto* optimise = form.Feature<KeyOptimization>();
    ASSERT_TRUE(clear && optimise);
    EXPECT_EQ(form.Page->tabText(form.Page->indexOf(form.ClearRubbish)), "系统清理和优化");
    EXPECT_EQ(clear->ShowDiskSize->text().count('\n'), 2);
    EXPECT_GE(clear->ShowDiskSize->height(), 3 * clear->ShowDiskSize->fontMetrics().height());
    QWidget* page = form.ClearRubbish;
    ExpectReadable(page, clear->SystemClearGroupBox, "SystemClearGroupBox");
    ExpectReadable(page, optimise->KeyOptimizationButton, "KeyOptimizationButton");
    EXPECT_LT(clear->SystemClearGroupBox->mapTo(page, QPoint(0, 0)).y(),
              optimise->KeyOptimizationButton->mapTo(page, QPoint(0, 0)).y());
    ExpectReadable(&form, page, "maintenance-page");
}

} // namespace

#include "PowerTestSupport.h"
#include "app/Main.h"
#include "support/LookCheck.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QTabWidget>
#include <QTest>

namespace {

TEST(RulesPageLook, TheDurationAndPeriodGroupsFitThePage)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    form.show();
    form.Page->setCurrentWidget(form.RegularShutDown);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QWidget* page = form.RegularShutDown;
    // Below the fixed-time and weekday groups, in this order.
    const QWidget* above = nullptr;
    for (QWidget* group : std::initializer_list<QWidget*>{
             form.Feature<ConfineWeekShutdown>()->ConfineTimeGroupBox,
             form.Feature<SystemRunShutdown>()->SystemRunGroupBox,
             form.Feature<EconomizePowerShutdown>()->EconomizePowerGroupBox,
             form.Feature<NetStateShutdown>()->NetStateGroupBox}) {
        ExpectReadable(page, group, group->objectName());
        if (above) {
            EXPECT_LT(above->mapTo(page, QPoint(0, 0)).y(), group->mapTo(page, QPoint(0, 0)).y())
                << group->objectName().toStdString();
        }
        above = group;
    }
    ExpectReadable(&form, page, "shutdown-page");
}

} // namespace

#include "PowerTestSupport.h"
#include "app/Main.h"
#include "support/LookCheck.h"

#include "power/ConfineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"

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
    ExpectReadable(page, form.Feature<ConfineWeekShutdown>()->ConfineTimeGroupBox,
                   "ConfineTimeGroupBox");
    ExpectReadable(page, form.Feature<SystemRunShutdown>()->SystemRunGroupBox, "SystemRunGroupBox");
    ExpectReadable(page, form.Feature<EconomizePowerShutdown>()->EconomizePowerGroupBox,
                   "EconomizePowerGroupBox");
    ExpectReadable(page, form.Feature<NetStateShutdown>()->NetStateGroupBox, "NetStateGroupBox");
    // Below the fixed-time and weekday groups, in this order.
    auto y = [&](QWidget* w) { return w->mapTo(page, QPoint(0, 0)).y(); };
    EXPECT_LT(y(form.Feature<ConfineWeekShutdown>()->ConfineTimeGroupBox),
              y(form.Feature<SystemRunShutdown>()->SystemRunGroupBox));
    EXPECT_LT(y(form.Feature<SystemRunShutdown>()->SystemRunGroupBox),
              y(form.Feature<EconomizePowerShutdown>()->EconomizePowerGroupBox));
    EXPECT_LT(y(form.Feature<EconomizePowerShutdown>()->EconomizePowerGroupBox),
              y(form.Feature<NetStateShutdown>()->NetStateGroupBox));
    ExpectReadable(&form, page, "shutdown-page");
}

} // namespace

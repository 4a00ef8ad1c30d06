#include "PowerTestSupport.h"
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
    ExpectReadable(page, form.ConfineWeekTimes->ConfineTimeGroupBox, "ConfineTimeGroupBox");
    ExpectReadable(page, form.SystemRunTimes->SystemRunGroupBox, "SystemRunGroupBox");
    ExpectReadable(page, form.EconomizePowers->EconomizePowerGroupBox, "EconomizePowerGroupBox");
    ExpectReadable(page, form.NetStates->NetStateGroupBox, "NetStateGroupBox");
    // Below the fixed-time and weekday groups, in this order.
    auto y = [&](QWidget* w) { return w->mapTo(page, QPoint(0, 0)).y(); };
    EXPECT_LT(y(form.ConfineWeekTimes->ConfineTimeGroupBox),
              y(form.SystemRunTimes->SystemRunGroupBox));
    EXPECT_LT(y(form.SystemRunTimes->SystemRunGroupBox),
              y(form.EconomizePowers->EconomizePowerGroupBox));
    EXPECT_LT(y(form.EconomizePowers->EconomizePowerGroupBox), y(form.NetStates->NetStateGroupBox));
    ExpectReadable(&form, page, "shutdown-page");
}

} // namespace

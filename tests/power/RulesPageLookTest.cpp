#include "PowerTestSupport.h"

#include "power/ConfineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

namespace {

// Every caption and entry in `area` is shown whole, and no group leaves the page.
void ExpectReadable(QWidget* page, QWidget* area)
{
    const std::string where = area->objectName().toStdString();
    for (QLabel* label : area->findChildren<QLabel*>())
        if (label->isVisibleTo(page) && !label->text().isEmpty())
            EXPECT_GE(label->width(), label->minimumSizeHint().width())
                << where << ": " << label->text().toStdString();
    for (QAbstractButton* button : area->findChildren<QAbstractButton*>())
        if (button->isVisibleTo(page) && !button->text().isEmpty())
            EXPECT_GE(button->width(), button->sizeHint().width())
                << where << ": " << button->text().toStdString();
    for (QLineEdit* edit : area->findChildren<QLineEdit*>())
        EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(edit->displayText()) + 4)
            << where << ": " << edit->objectName().toStdString();
    for (QComboBox* box : area->findChildren<QComboBox*>())
        EXPECT_GE(box->width(), box->minimumSizeHint().width())
            << where << ": " << box->objectName().toStdString();
    const QRect inPage(area->mapTo(page, QPoint(0, 0)), area->size());
    EXPECT_TRUE(page->rect().contains(inPage)) << where;
}

TEST(RulesPageLook, TheDurationAndPeriodGroupsFitThePage)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    form.show();
    form.Page->setCurrentWidget(form.RegularShutDown);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QWidget* page = form.RegularShutDown;
    ExpectReadable(page, form.ConfineWeekTimes->ConfineTimeGroupBox);
    ExpectReadable(page, form.SystemRunTimes->SystemRunGroupBox);
    ExpectReadable(page, form.EconomizePowers->EconomizePowerGroupBox);
    ExpectReadable(page, form.NetStates->NetStateGroupBox);
    // Below the fixed-time and weekday groups, in this order.
    auto y = [&](QWidget* w) { return w->mapTo(page, QPoint(0, 0)).y(); };
    EXPECT_LT(y(form.ConfineWeekTimes->ConfineTimeGroupBox),
              y(form.SystemRunTimes->SystemRunGroupBox));
    EXPECT_LT(y(form.SystemRunTimes->SystemRunGroupBox),
              y(form.EconomizePowers->EconomizePowerGroupBox));
    EXPECT_LT(y(form.EconomizePowers->EconomizePowerGroupBox), y(form.NetStates->NetStateGroupBox));

    const QString dir = qEnvironmentVariable("QUORLIN_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        form.grab().save(QDir(dir).filePath("shutdown-page.png"));
}

} // namespace

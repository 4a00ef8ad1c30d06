#include "support/LookCheck.h"
#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "reminders/Memorandum.h"
#include "reminders/MemorandumForm.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

TEST(RemindersLook, ThePagesAndTheDialogShowEveryCaptionWhole)
{
    TestEnvironment env;
    env.WriteProgramFile("Memorandum.txt",
                         "2026/12/09 08:30:00 上午九点前把周报发给部门经理并抄送项目组\n"
                         "2026/12/10 19:00:00 晚上给爸妈打电话\n2026/12/24 12:00:00 订餐厅\n");
    TMainForm& form = env.StartForm();
    form.show();
    form.Page->setCurrentWidget(form.Alarm);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ExpectReadable(&form, form.Alarm, "alarm-page");
    form.Page->setCurrentWidget(form.Install);
    QTest::qWait(50);
    ExpectReadable(&form, form.Install, "settings-page");

    TMemorandumForm& dialog = *form.Feature<Memorandum>()->MemorandumForm;
    form.Feature<Memorandum>()->AddMemorandumButton->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ExpectReadable(&dialog, &dialog, "memorandum-dialog");
}

} // namespace

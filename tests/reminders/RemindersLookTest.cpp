#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "reminders/Memorandum.h"
#include "reminders/MemorandumForm.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

// Every caption on `window` fits its widget. With QUORLIN_SCREENSHOT_DIR set, the window
// is also saved there as `name`.png for a look by eye.
void ExpectReadable(QWidget* window, const QString& name)
{
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisibleTo(window) && !label->wordWrap() && !label->text().isEmpty())
            EXPECT_GE(label->width(), label->minimumSizeHint().width())
                << name.toStdString() << ": " << label->text().toStdString();
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisibleTo(window) && !button->text().isEmpty())
            EXPECT_GE(button->width(), button->sizeHint().width())
                << name.toStdString() << ": " << button->text().toStdString();
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        if (edit->isVisibleTo(window) && !edit->inputMask().isEmpty())
            EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(edit->displayText()))
                << name.toStdString() << ": " << edit->objectName().toStdString();
    const QString dir = qEnvironmentVariable("QUORLIN_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        window->grab().save(QDir(dir).filePath(name + ".png"));
}

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
    ExpectReadable(&form, "alarm-page");
    form.Page->setCurrentWidget(form.Install);
    QTest::qWait(50);
    ExpectReadable(&form, "settings-page");

    TMemorandumForm& dialog = *form.Memoranda->MemorandumForm;
    form.Memoranda->AddMemorandumButton->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ExpectReadable(&dialog, "memorandum-dialog");
}

} // namespace

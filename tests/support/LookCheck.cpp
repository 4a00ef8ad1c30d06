#include "LookCheck.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

void ExpectReadable(QWidget* window, QWidget* area, const QString& name)
{
    const std::string where = name.toStdString();
    for (QLabel* label : area->findChildren<QLabel*>()) {
        if (label->isVisibleTo(window) && !label->wordWrap() && !label->text().isEmpty()) {
            EXPECT_GE(label->width(), label->minimumSizeHint().width())
                << where << ": " << label->text().toStdString();
        }
    }
    for (QAbstractButton* button : area->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(window) && !button->text().isEmpty()) {
            EXPECT_GE(button->width(), button->sizeHint().width())
                << where << ": " << button->text().toStdString();
        }
    }
    for (QLineEdit* edit : area->findChildren<QLineEdit*>()) {
        if (edit->isVisibleTo(window) && !edit->inputMask().isEmpty()) {
            EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(edit->displayText()))
                << where << ": " << edit->objectName().toStdString();
        }
    }
    for (QComboBox* box : area->findChildren<QComboBox*>()) {
        if (box->isVisibleTo(window)) {
            EXPECT_GE(box->width(), box->minimumSizeHint().width())
                << where << ": " << box->objectName().toStdString();
        }
    }
    if (area != window) {
        const QRect inWindow(area->mapTo(window, QPoint(0, 0)), area->size());
        EXPECT_TRUE(window->rect().contains(inWindow)) << where;
    }
    const QString dir = qEnvironmentVariable("QUORLIN_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        window->grab().save(QDir(dir).filePath(name + ".png"));
}

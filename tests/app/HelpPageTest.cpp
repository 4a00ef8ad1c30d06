#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "power/PowerWarning.h"
#include "power/PowerWarningForm.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

// Every caption a user can find in the window: tabs, buttons and boxes, groups, labels,
// menu entries, list entries and the catalogue's categories (without their counts).
QSet<QString> Captions(TMainForm& form)
{
    QSet<QString> out;
    for (int i = 0; i < form.Page->count(); ++i)
        out << form.Page->tabText(i);
    for (auto* w : form.findChildren<QAbstractButton*>())
        out << w->text();
    // The countdown is a window of its own.
    for (auto* w : form.Feature<PowerWarning>()->Form->findChildren<QAbstractButton*>())
        out << w->text();
    for (auto* w : form.findChildren<QGroupBox*>())
        out << w->title();
    for (auto* w : form.findChildren<QLabel*>())
        out << w->text();
    for (auto* a : form.findChildren<QAction*>())
        out << a->text();
    for (auto* box : form.findChildren<QComboBox*>())
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
    static const QRegularExpression count(QStringLiteral("\\(\\d+\\)$"));
    for (auto* tree : form.findChildren<QTreeWidget*>())
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            out << tree->topLevelItem(i)->text(0).remove(count);
    return out;
}

TEST(HelpPage, EveryControlItNamesExistsInTheWindow)
{
    QFile help(QStringLiteral(QUORLIN_DIST_DIR) + QStringLiteral("使用指南.html"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());

    TestEnvironment env;
    env.WriteProgramFile("NetRadio.dat", "[我最喜爱的电台]\n");
    const QSet<QString> captions = Captions(env.StartForm());
    // The page quotes a control as “…”; messages it cites stand in 「…」.
    static const QRegularExpression quoted(QStringLiteral("“([^”]+)”"));
    int quotes = 0;
    for (const QRegularExpressionMatch& m : quoted.globalMatch(text)) {
        ++quotes;
        EXPECT_TRUE(captions.contains(m.captured(1))) << m.captured(1).toStdString();
    }
    EXPECT_GT(quotes, 5);
}

} // namespace

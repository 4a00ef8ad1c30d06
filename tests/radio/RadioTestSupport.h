#pragma once

#include "support/TestEnvironment.h"

#include "radio/RadioCatalogue.h"
#include "radio/RadioPlayback.h"
#include "radio/Radiotiming.h"

#include <QTreeWidget>

namespace radio_test {

// Two categories share "Alpha"; one address carries "=" in its query; one section is empty.
inline const QString kCatalogue = QStringLiteral("[音乐]\n"
                                                 "Alpha=http://a.example/live\n"
                                                 "Beta=http://b.example/s?x=1&y=2\n"
                                                 "[空分类]\n"
                                                 "[新闻]\n"
                                                 "Alpha=http://other.example/alpha\n"
                                                 "Gamma=http://g.example/g.mp3\n");

//! The radio page started over `stations` as the program's catalogue.
inline FeatureView& StartRadio(TestEnvironment& env, const QString& stations = kCatalogue)
{
    env.WriteProgramFile("NetRadio.dat", stations);
    return env.Start<Pages::Radio>();
}

inline QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& caption)
{
    const QList<QTreeWidgetItem*> found =
        tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

//! A double-click on the node with this caption, as the tree delivers it.
inline void DoubleClick(FeatureView& form, const QString& caption)
{
    QTreeWidget* tree = form.RadioStations->RadioTreeView;
    QTreeWidgetItem* node = FindNode(tree, caption);
    if (!node)
        throw std::runtime_error("no such node");
    tree->setCurrentItem(node);
    emit tree->itemDoubleClicked(node, 0);
}

inline QStringList RootCaptions(QTreeWidget* tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        out << tree->topLevelItem(i)->text(0);
    return out;
}

inline QStringList ChildCaptions(QTreeWidgetItem* root)
{
    QStringList out;
    for (int i = 0; root && i < root->childCount(); ++i)
        out << root->child(i)->text(0);
    return out;
}

} // namespace radio_test

#include "ui/QtUiServices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

namespace {

TEST(QtFileFilterTest, PairsBecomeTheDialogsEntries)
{
    const struct {
        QString given, expected;
    } rows[] = {
        {"*.theme | *.theme", "*.theme (*.theme)"},
        {"*.jpg|*.jpg|*.bmp|*.bmp|*.jpeg|*.jpeg|*.*|*.*",
         "*.jpg (*.jpg);;*.bmp (*.bmp);;*.jpeg (*.jpeg);;*.* (*)"},
        {"图片|*.jpg;*.png", "图片 (*.jpg *.png)"},
        {"*.mp3", "*.mp3"},                // already the dialog's form
        {"odd|*.a|dangling", "odd (*.a)"}, // a description without patterns is dropped
    };
    for (const auto& row : rows)
        EXPECT_EQ(QtFileFilter(row.given).toStdString(), row.expected.toStdString());
}

// A real click, delivered as the window system would deliver it: a window blocked by a
// modal box never sees it.
bool ClickReaches(QPushButton* button)
{
    bool reached = false;
    const QMetaObject::Connection c =
        QObject::connect(button, &QPushButton::clicked, [&] { reached = true; });
    QWidget* top = button->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(top, button->rect().center()));
    QObject::disconnect(c);
    return reached;
}

struct Window {
    explicit Window(QWidget* parent = nullptr) : widget(parent, Qt::Window)
    {
        auto* layout = new QVBoxLayout(&widget);
        button = new QPushButton(QStringLiteral("按钮"), &widget);
        layout->addWidget(button);
        widget.resize(200, 80);
        widget.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    QWidget widget;
    QPushButton* button = nullptr;
};

// While any box waits for its answer, a window of its own (the countdown before a power
// action) must take clicks; the window the box belongs to stays blocked.
TEST(QtUiServices, AnOpenBoxLeavesAWindowOfItsOwnUsable)
{
    const std::function<void(QtUiServices&)> boxes[] = {
        [](QtUiServices& ui) { ui.ShowMessage(QStringLiteral("消息")); },
        [](QtUiServices& ui) { ui.ShowYesOnly(QStringLiteral("闹钟")); },
        [](QtUiServices& ui) { ui.AskYesNo(QStringLiteral("是否重启")); },
        [](QtUiServices& ui) { ui.ShowError(QStringLiteral("错误")); },
        [](QtUiServices& ui) {
            ui.InputBox(QStringLiteral("标题"), QStringLiteral("密码:"), {}, true);
        },
        [](QtUiServices& ui) {
            ui.OpenFile(QStringLiteral("选择"), QStringLiteral("*.*|*.*"), {});
        },
    };
    for (bool mainShown : {true, false}) {
        int i = 0;
        for (const auto& open : boxes) {
            SCOPED_TRACE(testing::Message() << "box " << i++ << (mainShown ? "" : ", main hidden"));
            Window main;
            Window own;
            if (!mainShown)
                main.widget.hide();
            QtUiServices ui;
            ui.SetParent(&main.widget);
            bool ownUsable = false, mainBlocked = false, opened = false;
            QTimer::singleShot(50, [&] {
                auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                opened = box != nullptr;
                ownUsable = ClickReaches(own.button);
                mainBlocked = !mainShown || !ClickReaches(main.button);
                if (box)
                    box->reject();
            });
            open(ui);
            EXPECT_TRUE(opened);
            EXPECT_TRUE(ownUsable);
            EXPECT_TRUE(mainBlocked);
        }
    }
}

// Once the session ends nobody answers: a box would hold the program up until it is killed.
TEST(QtUiServices, SilencedOpensNoBoxAndAnswersCautiously)
{
    Window main;
    QtUiServices ui;
    ui.SetParent(&main.widget);
    ui.SetSilent(true);
    int opened = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++opened;
            box->accept();
        }
    });
    watch.start(10);
    ui.ShowMessage(QStringLiteral("消息"));
    ui.ShowYesOnly(QStringLiteral("闹钟"));
    ui.ShowError(QStringLiteral("错误"));
    EXPECT_FALSE(ui.AskYesNo(QStringLiteral("是否重启")));
    EXPECT_FALSE(ui.InputBox(QStringLiteral("标题"), QStringLiteral("密码:"), {}, true));
    EXPECT_FALSE(ui.OpenFile(QStringLiteral("选择"), QStringLiteral("*.*|*.*"), {}));
    EXPECT_EQ(opened, 0);
}

} // namespace

#include "app/BuiltInSkin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

QString WriteSkin(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("PixOS.ssk"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

} // namespace

TEST(BuiltInSkin, EveryKeyIsReadWhatIsGarbledKeepsItsDefaultAndTheAppliedSkinColoursTheWindow)
{
    QTemporaryDir dir;
    const BuiltInSkin::Colours defaults;
    const BuiltInSkin::Colours c = BuiltInSkin::Read(
        WriteSkin(dir, "; a comment=with an equals sign\r\n"
                       "Font= Noto Serif CJK SC ,,  AR PL UMing \r\n"
                       "FontSize=17\r\n"
                       "Window=#010203\r\nPanel=#040506\r\nBorder=#070809\r\nText=#0a0b0c\r\n"
                       "Base=#0d0e0f\r\nButton=#101112\r\nAccent=#131415\r\nAccentText=#161718\r\n"
                       "Title=#191a1b\r\nToolTip=#1c1d1e\r\nToolTipText=#1f2021\r\n"
                       "Disabled=#12345g\r\n" // not a colour
                       "QWidget { color: #ffffff; }\r\n"
                       "\x81\xfe=\xff\r\n"));
    EXPECT_EQ(c.fontFamilies, QStringList({"Noto Serif CJK SC", "AR PL UMing"}));
    EXPECT_EQ(c.fontPixels, 17);
    const std::pair<QColor, const char*> expected[] = {
        {c.window, "#010203"},  {c.panel, "#040506"},      {c.border, "#070809"},
        {c.text, "#0a0b0c"},    {c.base, "#0d0e0f"},       {c.button, "#101112"},
        {c.accent, "#131415"},  {c.accentText, "#161718"}, {c.title, "#191a1b"},
        {c.toolTip, "#1c1d1e"}, {c.toolTipText, "#1f2021"}};
    for (const auto& [colour, name] : expected)
        EXPECT_EQ(colour.name(), name);
    EXPECT_EQ(c.disabled, defaults.disabled);

    // Out of range, missing, too large to be a skin: the defaults.
    EXPECT_EQ(BuiltInSkin::Read(WriteSkin(dir, "FontSize=500\nFont=,\n")).fontPixels,
              defaults.fontPixels);
    EXPECT_EQ(BuiltInSkin::Read(dir.filePath("none")).window, defaults.window);
    EXPECT_EQ(
        BuiltInSkin::Read(WriteSkin(dir, "Window=#000001\n" + QByteArray(1 << 20, 'x'))).window,
        defaults.window);

    // Applied, it colours the windows, the buttons and the group panels.
    BuiltInSkin::Apply(WriteSkin(dir, "Window=#102030\nPanel=#fafa00\nAccent=#c00000\n"
                                      "AccentText=#00ff00\nTitle=#0000ff\nFontSize=15\n"));
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* group = new QGroupBox(QStringLiteral("定时播放"));
    auto* button = new QPushButton(QStringLiteral("播放"));
    new QVBoxLayout(group);
    group->layout()->addWidget(button);
    layout->addWidget(group);
    window.resize(300, 200);
    window.ensurePolished();

    EXPECT_EQ(window.palette().color(QPalette::Window), QColor("#102030"));
    EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::Button), QColor("#c00000"));
    EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::ButtonText), QColor("#00ff00"));
    EXPECT_EQ(QApplication::font().pixelSize(), 15);

    // The group box is a filled panel; its title sits in the top border on the window colour.
    const QImage shot = group->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(group->width() / 2, group->height() - 8)), QColor("#fafa00"));
    bool titleInk = false;
    for (int x = 0; x < shot.width() / 2 && !titleInk; ++x)
        for (int y = 0; y < 20 && !titleInk; ++y)
            titleInk = QColor(shot.pixel(x, y)).blue() > 200 && QColor(shot.pixel(x, y)).red() < 80;
    EXPECT_TRUE(titleInk) << "no title drawn in the heading colour";
    EXPECT_EQ(QColor(shot.pixel(2, 2)), QColor("#102030"));
}

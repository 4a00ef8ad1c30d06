#include "app/BuiltInSkin.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPalette>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

// A skin file is a few hundred bytes; anything much larger is not one.
constexpr qint64 kMaxSkinBytes = 64 * 1024;
// Where a group box's title sits in its top border, and the room left around it.
constexpr int kTitleIndent = 10;
constexpr int kTitleGap = 3;

void ReadColour(const QString& value, QColor& into)
{
    if (const QColor colour = QColor::fromString(value); colour.isValid())
        into = colour;
}

} // namespace

BuiltInSkin::Colours BuiltInSkin::Read(const QString& skinFile)
{
    Colours c;
    QFile file(skinFile);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSkinBytes)
        return c;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || line.trimmed().startsWith(u';'))
            continue;
        const QString key = line.left(equals).trimmed().toString();
        const QString value = line.mid(equals + 1).trimmed().toString();
        if (key == u"Font") {
            QStringList families;
            for (const QString& family : value.split(u',', Qt::SkipEmptyParts))
                if (!family.trimmed().isEmpty())
                    families << family.trimmed();
            if (!families.isEmpty())
                c.fontFamilies = families;
        } else if (key == u"FontSize") {
            bool ok = false;
            const int pixels = value.toInt(&ok);
            if (ok && pixels >= 8 && pixels <= 48)
                c.fontPixels = pixels;
        } else {
            const std::pair<const char16_t*, QColor*> colours[] = {{u"Window", &c.window},
                                                                   {u"Panel", &c.panel},
                                                                   {u"Border", &c.border},
                                                                   {u"Text", &c.text},
                                                                   {u"Base", &c.base},
                                                                   {u"Button", &c.button},
                                                                   {u"Accent", &c.accent},
                                                                   {u"AccentText", &c.accentText},
                                                                   {u"Title", &c.title},
                                                                   {u"ToolTip", &c.toolTip},
                                                                   {u"ToolTipText", &c.toolTipText},
                                                                   {u"Disabled", &c.disabled}};
            for (const auto& [name, colour] : colours)
                if (key == name)
                    ReadColour(value, *colour);
        }
    }
    return c;
}

void BuiltInSkin::Apply(const QString& skinFile)
{
    const Colours c = Read(skinFile);
    QApplication::setStyle(new BuiltInSkin(c));

    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, c.window);
    palette.setColor(QPalette::WindowText, c.text);
    palette.setColor(QPalette::Base, c.base);
    palette.setColor(QPalette::AlternateBase, c.button.lighter(106));
    palette.setColor(QPalette::Text, c.text);
    palette.setColor(QPalette::Button, c.button);
    palette.setColor(QPalette::ButtonText, c.text);
    palette.setColor(QPalette::Highlight, c.accent);
    palette.setColor(QPalette::HighlightedText, c.accentText);
    // A selection in a window without focus is a pale tint of the accent.
    const auto tint = [](int accent, int base) { return (accent * 2 + base * 8) / 10; };
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     QColor(tint(c.accent.red(), c.base.red()),
                            tint(c.accent.green(), c.base.green()),
                            tint(c.accent.blue(), c.base.blue())));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, c.text);
    palette.setColor(QPalette::ToolTipBase, c.toolTip);
    palette.setColor(QPalette::ToolTipText, c.toolTipText);
    palette.setColor(QPalette::Link, c.accent);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, c.disabled);
    QApplication::setPalette(palette);

    // Push buttons in the accent colour, greyed when they cannot be pressed.
    QPalette buttons = palette;
    buttons.setColor(QPalette::Active, QPalette::Button, c.accent);
    buttons.setColor(QPalette::Inactive, QPalette::Button, c.accent);
    buttons.setColor(QPalette::Active, QPalette::ButtonText, c.accentText);
    buttons.setColor(QPalette::Inactive, QPalette::ButtonText, c.accentText);
    QApplication::setPalette(buttons, "QPushButton");

    QFont font = QApplication::font();
    font.setFamilies(c.fontFamilies);
    font.setPixelSize(c.fontPixels);
    QApplication::setFont(font);
}

BuiltInSkin::BuiltInSkin(const Colours& colours)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), colours_(colours)
{
}

void BuiltInSkin::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const
{
    const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !group) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // Group boxes as light panels, the title set into the top border in the heading colour.
    const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
    if (group->subControls & SC_GroupBoxFrame) {
        QRectF frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
        if (!group->text.isEmpty())
            frame.setTop(label.center().y());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(colours_.border);
        painter->setBrush(colours_.panel);
        painter->drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        if (!group->text.isEmpty())
            painter->fillRect(label.adjusted(-kTitleGap, 0, kTitleGap, 0), colours_.window);
        painter->restore();
    }
    QStyleOptionGroupBox titleOnly(*group);
    titleOnly.subControls &= ~SC_GroupBoxFrame;
    titleOnly.textColor = colours_.title;
    titleOnly.palette.setColor(QPalette::WindowText, colours_.title);
    QProxyStyle::drawComplexControl(control, &titleOnly, painter, widget);
}

QRect BuiltInSkin::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                  SubControl part, const QWidget* widget) const
{
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control == CC_GroupBox && (part == SC_GroupBoxLabel || part == SC_GroupBoxCheckBox))
        rect.translate(kTitleIndent, 0);
    return rect;
}

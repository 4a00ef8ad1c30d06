#pragma once

#include <QColor>
#include <QProxyStyle>
#include <QString>
#include <QStringList>

//! The program's own look when the skinning library is not installed: the colours and font
//! named in the skin file, drawn by Qt's Fusion style through palettes. A style sheet would
//! give the same look but costs every widget its own cached rules, about 5 MB for the main
//! window alone, for as long as the program sits in the tray.
//!
//! The skin file holds lines "Key=Value" (colours as #rrggbb); anything else is a comment.
//! A missing file, an unknown key or a value that is not a colour keeps the default.
class BuiltInSkin : public QProxyStyle {
public:
    struct Colours {
        QStringList fontFamilies{QStringLiteral("WenQuanYi Micro Hei"),
                                 QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("Microsoft YaHei")};
        int fontPixels = 13;
        QColor window{0xee, 0xf3, 0xf8};
        QColor panel{0xff, 0xff, 0xff};
        QColor border{0xc5, 0xd3, 0xe2};
        QColor text{0x1f, 0x2d, 0x3d};
        QColor base{0xff, 0xff, 0xff};
        QColor button{0xdb, 0xe6, 0xf1};
        QColor accent{0x2f, 0x79, 0xb9};
        QColor accentText{0xff, 0xff, 0xff};
        QColor title{0x18, 0x4a, 0x80};
        QColor toolTip{0xff, 0xfb, 0xe6};
        QColor toolTipText{0x33, 0x33, 0x33};
        QColor disabled{0x7a, 0x87, 0x94};
    };

    //! Reads the skin file; what it lacks or garbles keeps the default.
    static Colours Read(const QString& skinFile);
    //! Makes this the application's style, palette and font.
    static void Apply(const QString& skinFile);

    explicit BuiltInSkin(const Colours& colours);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget = nullptr) const override;

private:
    Colours colours_;
};

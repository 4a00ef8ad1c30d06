#pragma once

#include "platform/Wallpaper.h"

#include <QStringList>

//! A desktop that takes pictures, or answers with `result`.
class FakeWallpaper : public platform::Wallpaper {
public:
    QStringList applied;
    Result result = Result::Applied;
    std::u16string name = u"GNOME";

    Result apply(const std::u16string& picture) override
    {
        applied << QString::fromStdU16String(picture);
        return result;
    }
    std::u16string desktop() const override { return name; }
};

#pragma once

#include <QString>

//! The application title: window caption, box caption, and the single-instance key.
inline QString AppTitle()
{
    return QStringLiteral("Varnel—Ossory软件");
}

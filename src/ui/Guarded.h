#pragma once

#include "ui/UiServices.h"

#include <exception>
#include <utility>

//! The one guarded entry of every handler and check: an error that escapes `body` is
//! shown in the error box with its own text, the rest of `body` is skipped, and the
//! program goes on. Returns false when an error was caught.
template <typename Body> bool Guarded(UiServices& ui, Body&& body)
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const std::exception& e) {
        ui.ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ui.ShowError(QStringLiteral("未知错误"));
    }
    return false;
}

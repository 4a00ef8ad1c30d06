#pragma once

#include <QString>

class QWidget;

//! Every caption and entry inside `area` is shown whole, and `area` lies inside `window`.
//! With QUORLIN_SCREENSHOT_DIR set, `window` is also saved there as `name`.png.
void ExpectReadable(QWidget* window, QWidget* area, const QString& name);

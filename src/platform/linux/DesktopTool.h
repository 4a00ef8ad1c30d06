#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

//! Runs one of the desktop's own tools (xfconf-query, plasma-apply-…) without a shell and
//! waits for it; its output, or nothing when it could not run or ended with a failure.
std::optional<QByteArray> RunDesktopTool(const QString& program, const QStringList& arguments);

} // namespace platform

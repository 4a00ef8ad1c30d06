#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

//! Points GStreamer at a registry file that does not exist yet, as on a fresh install, so
//! the run pays the full plugin scan. Call before anything touches the media backend.
inline void UseColdMediaRegistry()
{
    static QTemporaryDir dir;
    qputenv("GST_REGISTRY", dir.filePath(QStringLiteral("registry.bin")).toUtf8());
}

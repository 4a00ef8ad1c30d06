#pragma once

#include <QString>
#include <QStringList>

//! The folder of the files the program writes: the user's lists, logs, favourites and the
//! weather switch. The program folder holds only what ships with the program and may be
//! read-only (an installed copy) or replaced by an update (a rebuilt or unpacked copy).
namespace DataFolder {

//! QUORLIN_DATA_DIR when set; on Windows the program folder; elsewhere
//! $XDG_DATA_HOME/Quorlin/ (default ~/.local/share/Quorlin/). With a trailing '/'.
QString Resolve(const QString& programDir);

//! The names of the files the program writes.
const QStringList& UserFiles();

//! Creates the data folder and copies each user file that is there in the program folder
//! but not yet in the data folder, so a portable copy upgrades without losing its lists.
//! An existing file is never replaced. Does nothing when both folders are one.
void Adopt(const QString& programDir, const QString& dataDir);

} // namespace DataFolder

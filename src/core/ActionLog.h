#pragma once

#include <QString>
#include <QStringList>

struct LocalMoment;

namespace platform {
class AnsiCodePage;
}

//! The record of what the program did: "ActionLog.txt" in the data folder, one line an
//! event (date, time, feature, what was done, result, separated by tabs), in the ANSI code
//! page with CR LF, only ever appended to. When a line would take the file past kLimit the
//! file becomes "ActionLog.1.txt" (replacing the one before) and a new one is begun.
class ActionLog {
public:
    static constexpr qint64 kLimit = 1024 * 1024;

    ActionLog(platform::AnsiCodePage& ansi, const QString& dataDir);

    //! Appends one line. False when it could not be written; the program goes on.
    bool Write(const LocalMoment& when, const QString& feature, const QString& what,
               const QString& result);

    //! Up to `max` lines of both files, newest first, each split into its five fields.
    std::vector<QStringList> NewestFirst(int max) const;

    const QString& Path() const { return path_; }
    const QString& OlderPath() const { return olderPath_; }

private:
    platform::AnsiCodePage& ansi_;
    QString path_;
    QString olderPath_;
};

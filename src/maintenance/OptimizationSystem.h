#pragma once

#include <QString>

namespace platform {
class Registry;
class SystemInfo;
} // namespace platform

//! The one-key optimisation, alive for one press of its button. It first saves what it is
//! about to change as an importable registry file in the data folder, then writes the
//! table. Every failure is thrown with its message for the error box.
class OptimizationSystem {
public:
    OptimizationSystem(platform::Registry& registry, platform::SystemInfo& system, QString dataDir);

    void Optimize();

    //! The backup of the first press: the state before any optimisation, kept for good.
    QString FirstBackupPath() const;
    //! The backup this press made: the first one, or from the second press on a numbered
    //! one beside it ("OptimizeBackup-2.reg" holds the state before the second press).
    QString BackupPath() const { return backupPath_; }

    //! The drive of the Windows folder ("C:"), where the paging file is to lie.
    static QString SystemDrive();

private:
    void SaveBackup(const QByteArray& bytes);
    //! Earlier versions moved the first backup to "-1" and kept the latest unnumbered.
    void RestoreFirstBackupName() const;

    platform::Registry& registry_;
    platform::SystemInfo& system_;
    QString dataDir_;
    QString backupPath_;
};

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

    //! Where the latest backup is; earlier ones keep their numbered names beside it.
    QString BackupPath() const;

    //! The drive of the Windows folder ("C:"), where the paging file is to lie.
    static QString SystemDrive();

private:
    void SaveBackup(const QByteArray& bytes) const;

    platform::Registry& registry_;
    platform::SystemInfo& system_;
    QString dataDir_;
};

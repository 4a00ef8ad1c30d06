#include "maintenance/OptimizationSystem.h"

#include "maintenance/OptimizationBackup.h"
#include "maintenance/OptimizationTable.h"
#include "maintenance/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace {

const QString kBackupName = QStringLiteral("OptimizeBackup");

std::runtime_error Failure(const QString& text)
{
    return std::runtime_error(text.toStdString());
}

} // namespace

OptimizationSystem::OptimizationSystem(platform::Registry& registry, platform::SystemInfo& system,
                                       QString dataDir)
    : registry_(registry), system_(system), dataDir_(std::move(dataDir))
{
}

QString OptimizationSystem::FirstBackupPath() const
{
    return QDir(dataDir_).filePath(kBackupName + QStringLiteral(".reg"));
}

QString OptimizationSystem::SystemDrive()
{
    const QString windows = qEnvironmentVariable("SystemRoot", qEnvironmentVariable("windir"));
    if (windows.size() >= 2 && windows[0].isLetter() && windows[1] == u':')
        return windows.left(2).toUpper();
    return QStringLiteral("C:");
}

void OptimizationSystem::Optimize()
{
    const SystemInfo info(system_);
    const auto table = OptimizationTable(info.TotalPhysicalMB(), SystemDrive().toStdU16String());
    const std::string bytes = RegistryFileBytes(OptimizationBackupText(registry_, table));
    // No change without a way back.
    SaveBackup(QByteArray::fromStdString(bytes));
    if (const auto refused = WriteOptimization(registry_, table))
        throw Failure(
            QStringLiteral("无法设置注册表值“%1”的数据").arg(QString::fromStdU16String(*refused)));
}

namespace {

//! "OptimizeBackup-N.reg" with the first N from `from` on that is not taken.
QString FreeNumberedPath(const QString& dataDir, int from)
{
    QString path;
    for (int n = from;; ++n)
        if (path = QDir(dataDir).filePath(QStringLiteral("%1-%2.reg").arg(kBackupName).arg(n));
            !QFileInfo::exists(path))
            return path;
}

} // namespace

void OptimizationSystem::RestoreFirstBackupName() const
{
    const QString first = FirstBackupPath();
    const QString moved = QDir(dataDir_).filePath(kBackupName + QStringLiteral("-1.reg"));
    if (!QFileInfo(moved).isFile())
        return;
    // There "-1" held the state before the first press, and the unnumbered file the state
    // before the latest one: that one takes its number in the order of the presses.
    if (QFileInfo(first).isFile() && !QFile::rename(first, FreeNumberedPath(dataDir_, 2)))
        return;
    QFile::rename(moved, first);
}

void OptimizationSystem::SaveBackup(const QByteArray& bytes)
{
    QDir().mkpath(dataDir_);
    RestoreFirstBackupName();
    // The first backup is the way back to the system as it was: it is never replaced.
    const QString first = FirstBackupPath();
    backupPath_ = QFileInfo(first).isFile() ? FreeNumberedPath(dataDir_, 2) : first;
    QSaveFile file(backupPath_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("无法保存注册表备份 %1, 未做任何修改")
                          .arg(QDir::toNativeSeparators(backupPath_)));
}

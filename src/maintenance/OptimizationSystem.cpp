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

QString OptimizationSystem::BackupPath() const
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

void OptimizationSystem::SaveBackup(const QByteArray& bytes) const
{
    const QString path = BackupPath();
    QDir().mkpath(dataDir_);
    // The backup of an earlier press holds what was there before that press: keep it.
    if (QFileInfo(path).isFile()) {
        int n = 1;
        QString older;
        do
            older = QDir(dataDir_).filePath(QStringLiteral("%1-%2.reg").arg(kBackupName).arg(n++));
        while (QFile::exists(older));
        if (!QFile::rename(path, older))
            throw Failure(QStringLiteral("无法保留上一次的注册表备份 %1, 未做任何修改")
                              .arg(QDir::toNativeSeparators(path)));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("无法保存注册表备份 %1, 未做任何修改")
                          .arg(QDir::toNativeSeparators(path)));
}

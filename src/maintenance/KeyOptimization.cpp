#include "maintenance/KeyOptimization.h"

#include "core/FeatureContext.h"
#include "maintenance/OptimizationSystem.h"
#include "power/ShutDownComputer.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>

#include <stdexcept>

KeyOptimization::KeyOptimization(FeatureContext& ctx) : ctx_(ctx)
{
    KeyOptimizationButton =
        new QPushButton(QStringLiteral("一键优化系统性能"), ctx.Page(PageId::ClearRubbish));
    KeyOptimizationButton->setObjectName(QStringLiteral("KeyOptimizationButton"));
    KeyOptimizationButton->setToolTip(QStringLiteral("能使的您的系统运行更快，性能发挥到极致"));
    if (!ctx.Os().windowsRegistry) {
        KeyOptimizationButton->setEnabled(false);
        KeyOptimizationButton->setToolTip(QStringLiteral("此功能仅适用于 Windows 系统"));
    }
    auto* row = new QHBoxLayout;
    row->addWidget(KeyOptimizationButton);
    row->addStretch();
    ctx.AddToPage(PageId::ClearRubbish, row);
    QObject::connect(KeyOptimizationButton, &QPushButton::clicked, KeyOptimizationButton,
                     [this] { ctx_.Guard([this] { KeyOptimizationButtonClick(); }); });
}

QString KeyOptimization::RestartQuestion(const QString& firstBackup, const QString& thisBackup)
{
    const QString question =
        QStringLiteral("一键优化完成!需要重新启动您的电脑才能发挥性能!\n是否现在重启?");
    if (firstBackup == thisBackup)
        return question + QStringLiteral("\n\n优化前的设置已备份到 %1, 导入此文件即可还原。")
                              .arg(QDir::toNativeSeparators(firstBackup));
    return question +
           QStringLiteral("\n\n第一次优化之前的设置保存在 %1, 导入此文件即可还原到从未优化的状态;"
                          "\n本次优化之前的设置保存在 %2。")
               .arg(QDir::toNativeSeparators(firstBackup), QDir::toNativeSeparators(thisBackup));
}

void KeyOptimization::KeyOptimizationButtonClick()
{
    platform::Platform& os = ctx_.Os();
    // Nothing written and nothing restarted where the values mean nothing.
    if (!os.windowsRegistry)
        return;
    if (!os.registry || !os.systemInfo)
        throw std::runtime_error("此系统没有可写的注册表");
    // Alive for this press only; an error leaves the handler and skips the question.
    OptimizationSystem optimization(*os.registry, *os.systemInfo, ctx_.DataDir());
    optimization.Optimize();
    if (ctx_.Ui().AskYesNo(
            RestartQuestion(optimization.FirstBackupPath(), optimization.BackupPath())))
        ctx_.Log(QStringLiteral("一键优化"), QStringLiteral("请求重启"),
                 ctx_.PowerActions().RunPowerMode(PowerMode::Restart) ? QStringLiteral("成功")
                                                                      : QStringLiteral("失败"));
}

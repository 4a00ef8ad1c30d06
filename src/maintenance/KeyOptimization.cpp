#include "maintenance/KeyOptimization.h"

#include "core/FeatureContext.h"
#include "maintenance/OptimizationSystem.h"
#include "power/ShutDownComputer.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>

#include <stdexcept>

namespace {

constexpr int kRestart = 1;

} // namespace

KeyOptimization::KeyOptimization(FeatureContext& ctx) : ctx_(ctx)
{
    KeyOptimizationButton =
        new QPushButton(QStringLiteral("一键优化系统性能"), ctx.Page(PageId::ClearRubbish));
    KeyOptimizationButton->setObjectName(QStringLiteral("KeyOptimizationButton"));
    KeyOptimizationButton->setToolTip(QStringLiteral("能使的您的系统运行更快，性能发挥到极致"));
    auto* row = new QHBoxLayout;
    row->addWidget(KeyOptimizationButton);
    row->addStretch();
    ctx.AddToPage(PageId::ClearRubbish, row);
    QObject::connect(KeyOptimizationButton, &QPushButton::clicked, KeyOptimizationButton,
                     [this] { ctx_.Guard([this] { KeyOptimizationButtonClick(); }); });
}

QString KeyOptimization::RestartQuestion(const QString& backupPath)
{
    return QStringLiteral("一键优化完成!需要重新启动您的电脑才能发挥性能!\n是否现在重启?") +
           QStringLiteral("\n\n优化前的设置已备份到 %1, 导入此文件即可还原。")
               .arg(QDir::toNativeSeparators(backupPath));
}

void KeyOptimization::KeyOptimizationButtonClick()
{
    platform::Platform& os = ctx_.Os();
    if (!os.registry || !os.systemInfo)
        throw std::runtime_error("此系统没有可写的注册表");
    // Alive for this press only; an error leaves the handler and skips the question.
    OptimizationSystem optimization(*os.registry, *os.systemInfo, ctx_.DataDir());
    optimization.Optimize();
    if (ctx_.Ui().AskYesNo(RestartQuestion(optimization.BackupPath())))
        ctx_.Log(QStringLiteral("一键优化"), QStringLiteral("请求重启"),
                 ctx_.PowerActions().RunPowerMode(kRestart) ? QStringLiteral("成功")
                                                            : QStringLiteral("失败"));
}

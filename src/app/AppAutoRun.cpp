#include "app/AppAutoRun.h"

#include "core/FeatureContext.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

const QString kSection = QStringLiteral("AppAutoRun");
const QString kKey = QStringLiteral("AutoRun");

} // namespace

AppAutoRun::AppAutoRun(FeatureContext& ctx) : ctx_(ctx)
{
    QWidget* page = ctx.Page(PageId::Install);
    auto* group = new QGroupBox(QStringLiteral("程序设置"), page);
    group->setObjectName(QStringLiteral("AppSettingsGroup"));
    auto* layout = new QVBoxLayout(group);
    AutoRunCheckBox = new QCheckBox(QStringLiteral("开机启动"), group);
    AutoRunCheckBox->setObjectName(QStringLiteral("AutoRunCheckBox"));
    AutoRunCheckBox->setToolTip(QStringLiteral("登录系统时自动在托盘中启动本程序"));
    layout->addWidget(AutoRunCheckBox);
    ctx.AddToPage(PageId::Install, group);
    QObject::connect(AutoRunCheckBox, &QCheckBox::toggled, group,
                     [this] { AutoRunCheckBoxClick(); });
    ctx.OnLoad(LoadStep::AppAutoRun, [this] { LoadAppAutoRun(); });
}

void AppAutoRun::LoadAppAutoRun()
{
    AutoRunCheckBox->setChecked(ctx_.Settings().ReadBool(kSection, kKey, true));
}

void AppAutoRun::AutoRunCheckBoxClick()
{
    ctx_.Guard([this] {
        platform::AutostartEntry* autostart = ctx_.Os().autostart.get();
        if (!autostart)
            throw std::runtime_error("本系统不支持开机启动");
        if (AutoRunCheckBox->isChecked())
            autostart->write(
                QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdU16String());
        else
            autostart->remove();
        ctx_.Settings().WriteBool(kSection, kKey, AutoRunCheckBox->isChecked());
    });
}

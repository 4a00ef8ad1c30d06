#include "WeatherStrip.h"

#include "core/FeatureContext.h"
#include "weather/WeatherForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

WeatherStrip::WeatherStrip(FeatureContext& ctx, WeatherViewFactory factory) : ctx_(ctx)
{
    auto* group = new QGroupBox(QStringLiteral("天气预报"), ctx_.Page(PageId::Install));
    group->setObjectName("WeatherGroupBox");
    auto* layout = new QVBoxLayout(group);
    WeatherCheckBox = new QCheckBox(QStringLiteral("启用天气预报"), group);
    WeatherCheckBox->setObjectName("WeatherCheckBox");
    layout->addWidget(WeatherCheckBox);
    ctx_.AddToPage(PageId::Install, group);

    WeatherForm = std::make_unique<TWeatherForm>(*ctx_.Os().profile, ctx_.DataDir() + "Weather",
                                                 std::move(factory), ctx_.Servers().weatherPage);
    connect(WeatherCheckBox, &QCheckBox::toggled, this,
            [this] { ctx_.Guard([this] { WeatherCheckBoxClick(); }); });
    // The box takes the stored switch; when that checks it, the strip shows at once.
    ctx_.Guard([this] { WeatherCheckBox->setChecked(WeatherForm->ReadWeatherMode()); });
}

WeatherStrip::~WeatherStrip() = default;

void WeatherStrip::WeatherCheckBoxClick()
{
    if (WeatherCheckBox->isChecked()) {
        WeatherForm->show();
        WeatherForm->WriteWeatherMode(true);
    } else {
        WeatherForm->WriteWeatherMode(false);
        WeatherForm->hide();
    }
}

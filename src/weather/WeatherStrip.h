#pragma once

#include "weather/WeatherView.h"

#include <QObject>

#include <memory>

class FeatureContext;
class QCheckBox;
class TWeatherForm;

//! The box on "设置" that shows or hides the weather strip, and the strip itself. The strip
//! keeps its switch in its own file "Weather", not in the settings file.
class WeatherStrip : public QObject {
    Q_OBJECT
public:
    //! Without a factory the strip's own file chooses the view.
    explicit WeatherStrip(FeatureContext& ctx, WeatherViewFactory factory = {});
    ~WeatherStrip() override;

    QCheckBox* WeatherCheckBox = nullptr;
    std::unique_ptr<TWeatherForm> WeatherForm;

    void WeatherCheckBoxClick();

private:
    FeatureContext& ctx_;
};

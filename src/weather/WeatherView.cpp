#include "WeatherView.h"

namespace {
WeatherViewFactory& Slot()
{
    static WeatherViewFactory factory;
    return factory;
}
} // namespace

void SetWeatherViewFactory(WeatherViewFactory factory)
{
    Slot() = std::move(factory);
}

const WeatherViewFactory& DefaultWeatherViewFactory()
{
    return Slot();
}

#pragma once

#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

//! What the weather strip needs of a web view: show an address and load it again.
class WeatherView {
public:
    virtual ~WeatherView() = default;
    virtual QWidget* Widget() = 0;
    virtual void Load(const QUrl& address) = 0;
    //! Loads the page again; after a failed load, the address that failed.
    virtual void Reload() = 0;
};

using WeatherViewFactory = std::function<std::unique_ptr<WeatherView>(QWidget* parent)>;

//! The view the program uses, set once by the entry before the windows are made; tests pass
//! their own. Without one the strip stays empty.
void SetWeatherViewFactory(WeatherViewFactory factory);
const WeatherViewFactory& DefaultWeatherViewFactory();

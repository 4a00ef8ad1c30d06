#pragma once

#include <QString>
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

//! Settles how the web engine will run (before QApplication exists): without its sandbox
//! only for root, which Chromium's sandbox refuses; software drawing without a GPU. Then
//! makes the weather strip use it. The engine itself, a large library, is loaded only when
//! the strip is first shown, from `library` (by default beside the executable); without it
//! the strip stays empty.
void UseWebEngineForWeather(const QString& library = {});

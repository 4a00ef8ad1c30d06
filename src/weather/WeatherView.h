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

//! Which view shows the page, from the key WeatherEngine of the "Weather" file: "web" for the
//! full web engine (pages that need scripts), anything else for the light rich-text view.
enum class WeatherEngine { Light, Web };
WeatherEngine WeatherEngineFromKey(const QString& value);

//! The light view: a few megabytes, in the program's own process.
WeatherViewFactory LightWeatherViewFactory();

//! The web engine's view, registered by the entry before the windows are made; empty when
//! none was. Tests register their own.
void SetWebEngineViewFactory(WeatherViewFactory factory);
const WeatherViewFactory& WebEngineViewFactory();

//! Registers the web engine for a strip whose file asks for it. Nothing is loaded here: the
//! engine, a large library with its own processes, is loaded from `library` (by default
//! beside the executable) only when such a strip is first shown.
void UseWebEngineForWeather(const QString& library = {});

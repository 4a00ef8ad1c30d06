#include "WeatherView.h"

#include "weather/LightWeatherView.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWidget>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

// Qt's own hook for the context every other one shares with, as the web engine reads it.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

// What Qt::AA_ShareOpenGLContexts makes at the start of the application, made only when
// the web engine is about to be loaded: the drawing libraries behind it are large.
void ShareOpenGLContexts()
{
    if (QOpenGLContext::globalShareContext())
        return;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    auto* context = new QOpenGLContext(qApp);
    context->setFormat(QSurfaceFormat::defaultFormat());
    if (context->create())
        qt_gl_set_global_share_context(context);
}

WeatherViewFactory& Slot()
{
    static WeatherViewFactory factory;
    return factory;
}

// How the engine will run, settled just before it is loaded (it reads these when it starts,
// and a program that never loads it should not hand them to the programs it starts):
// without its sandbox only for root, which Chromium's sandbox refuses; software drawing
// without a GPU.
void PrepareWebEngine()
{
#ifndef Q_OS_WIN
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (QDir("/dev/dri").entryList({"renderD*"}, QDir::System).isEmpty()) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--disable-gpu"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --disable-gpu").trimmed());
    }
#endif
    ShareOpenGLContexts();
}
} // namespace

WeatherEngine WeatherEngineFromKey(const QString& value)
{
    return value.trimmed().compare(QLatin1String("web"), Qt::CaseInsensitive) == 0
               ? WeatherEngine::Web
               : WeatherEngine::Light;
}

WeatherViewFactory LightWeatherViewFactory()
{
    return [](QWidget* parent) { return std::make_unique<LightWeatherView>(parent); };
}

void SetWebEngineViewFactory(WeatherViewFactory factory)
{
    Slot() = std::move(factory);
}

const WeatherViewFactory& WebEngineViewFactory()
{
    return Slot();
}

void UseWebEngineForWeather(const QString& library)
{
    SetWebEngineViewFactory([library](QWidget* parent) -> std::unique_ptr<WeatherView> {
        using Make = WeatherView* (*)(QWidget*);
        // Loaded once and kept for the rest of the run.
        static const Make make = [&library] {
            PrepareWebEngine();
            QLibrary engine(library.isEmpty() ? QCoreApplication::applicationDirPath() +
                                                    QStringLiteral("/quorlin_weather_web")
                                              : library);
            const auto found = reinterpret_cast<Make>(engine.resolve("QuorlinMakeWeatherView"));
            if (!found)
                qWarning("weather view not loaded: %s", qPrintable(engine.errorString()));
            return found;
        }();
        return std::unique_ptr<WeatherView>(make ? make(parent) : nullptr);
    });
}

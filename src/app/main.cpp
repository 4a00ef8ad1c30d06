#include "app/Startup.h"
#include "platform/Platform.h"
#include "ui/QtUiServices.h"
#include "weather/WeatherView.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    UseWebEngineForWeather();
    QApplication app(argc, argv);
    std::unique_ptr<platform::Platform> platform = platform::createSystemPlatform();
    QtUiServices ui;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return RunQuorlin(arguments, *platform, ui);
}

#include "WeatherForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#ifdef Q_OS_WIN
#include <dwmapi.h>
#endif

namespace {
const QString kSection = QStringLiteral("Weather");
// The browser is three pixels taller than the strip, which hides the page's bottom edge.
constexpr int kBrowserHeight = 63;
} // namespace

TWeatherForm::TWeatherForm(platform::Profile& profile, const QString& weatherFile,
                           WeatherViewFactory factory, const QString& pageOverride, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), settings_(profile, weatherFile),
      factory_(std::move(factory)), refreshTimer_(new QTimer(this))
{
    setObjectName("TWeatherForm");
    setWindowTitle(QStringLiteral("天气预报"));
    setWindowOpacity(200.0 / 255.0);
    setFixedSize(kWidth, kHeight);

    engine_ = WeatherEngineFromKey(settings_.ReadString(kSection, "WeatherEngine", QString()));
    if (!factory_)
        factory_ = engine_ == WeatherEngine::Web && WebEngineViewFactory()
                       ? WebEngineViewFactory()
                       : LightWeatherViewFactory();

    address_ = AddressOr(settings_.ReadString(kSection, "WeatherPage", QString()),
                         AddressOr(pageOverride, DefaultPageAddress()));
    PlaceTopRight();
    // A panel that starts after us (at logon) or moves changes the free area.
    auto follow = [this](QScreen* screen) {
        if (screen)
            connect(screen, &QScreen::availableGeometryChanged, this, [this] { PlaceTopRight(); });
    };
    follow(QGuiApplication::primaryScreen());
    if (qGuiApp)
        connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
                [this, follow](QScreen* screen) {
                    follow(screen);
                    PlaceTopRight();
                });

    // Runs whether the strip is shown or not; the first load again comes after 30 s.
    refreshTimer_->setObjectName("RefreshTimer");
    connect(refreshTimer_, &QTimer::timeout, this, [this] { RefreshTimerTimer(); });
    refreshTimer_->start(kFirstRefreshMs);
}

TWeatherForm::~TWeatherForm() = default;

QUrl TWeatherForm::DefaultPageAddress()
{
    return QUrl(QStringLiteral("http://www.weather.com.cn/m/360/weather.htm"));
}

QUrl TWeatherForm::AddressOr(const QString& page, const QUrl& fallback)
{
    const QString trimmed = page.trimmed();
    const QUrl chosen(trimmed, QUrl::StrictMode);
    return !trimmed.isEmpty() && chosen.isValid() && !chosen.isRelative() ? chosen : fallback;
}

bool TWeatherForm::ReadWeatherMode() const
{
    return settings_.ReadBool(kSection, "WeatherMode", true);
}

void TWeatherForm::WriteWeatherMode(bool on)
{
    settings_.WriteBool(kSection, "WeatherMode", on);
}

void TWeatherForm::RefreshTimerTimer()
{
    refreshTimer_->setInterval(kRefreshMs);
    if (browser_)
        browser_->Reload();
}

void TWeatherForm::PlaceTopRight()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(TopRightIn(screen->availableGeometry()));
}

QPoint TWeatherForm::TopRightIn(const QRect& available)
{
    return {available.x() + available.width() - kWidth, available.y()};
}

void TWeatherForm::MakeBrowser()
{
    if (browser_ || !factory_)
        return;
    browser_ = factory_(this);
    if (!browser_ && engine_ == WeatherEngine::Web) {
        // The engine's library is missing or broken: the page in the light view, not nothing.
        qWarning("weather: web engine not available, using the light view");
        browser_ = LightWeatherViewFactory()(this);
    }
    if (!browser_)
        return;
    QWidget* view = browser_->Widget();
    view->setObjectName("WeatherBrowser");
    view->setGeometry(0, 0, kWidth, kBrowserHeight);
    view->show();
    browser_->Load(address_);
}

void TWeatherForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    MakeBrowser();
#ifdef Q_OS_WIN
    // The glass frame, where the desktop composes one.
    const MARGINS glass{-1, -1, -1, -1};
    DwmExtendFrameIntoClientArea(reinterpret_cast<HWND>(winId()), &glass);
#endif
}

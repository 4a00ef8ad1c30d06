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
                           WeatherViewFactory factory, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), settings_(profile, weatherFile),
      factory_(std::move(factory)), refreshTimer_(new QTimer(this))
{
    setObjectName("TWeatherForm");
    setWindowTitle(QStringLiteral("天气预报"));
    setWindowOpacity(200.0 / 255.0);
    setFixedSize(kWidth, kHeight);

    const QString page = settings_.ReadString(kSection, "WeatherPage", QString()).trimmed();
    const QUrl custom(page, QUrl::StrictMode);
    address_ =
        !page.isEmpty() && custom.isValid() && !custom.isRelative() ? custom : DefaultPageAddress();
    PlaceTopRight();

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
    const QRect area = screen->geometry();
    move(area.x() + area.width() - kWidth, area.y());
}

void TWeatherForm::MakeBrowser()
{
    if (browser_ || !factory_)
        return;
    browser_ = factory_(this);
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

#pragma once

#include "settings/SettingsFile.h"
#include "weather/WeatherView.h"

#include <QUrl>
#include <QWidget>

#include <memory>

class QTimer;

//! The weather strip: a small borderless, half-transparent window at the top right of the
//! primary screen's free area (below a top panel) that shows a forecast page and loads it
//! again every ten minutes. The view is made the first time the strip is shown; it is the
//! light rich-text view unless the "Weather" file asks for the web engine.
class TWeatherForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 422;
    static constexpr int kHeight = 60;
    static constexpr int kFirstRefreshMs = 30000;
    static constexpr int kRefreshMs = 600000;

    //! `weatherFile` is the strip's own INI file ("Weather" in the user data folder). Without
    //! a factory the view follows the file's WeatherEngine key, read here once. A valid
    //! `pageOverride` stands in for our default page.
    TWeatherForm(platform::Profile& profile, const QString& weatherFile,
                 WeatherViewFactory factory = {}, const QString& pageOverride = {},
                 QWidget* parent = nullptr);
    ~TWeatherForm() override;

    //! Section Weather, key WeatherMode; true when absent.
    bool ReadWeatherMode() const;
    void WriteWeatherMode(bool on);

    //! The forecast page: WeatherPage of the "Weather" file when set, else the page override
    //! when set, else our default host.
    const QUrl& PageAddress() const { return address_; }
    static QUrl DefaultPageAddress();
    //! `page` when it is an absolute address, else `fallback`.
    static QUrl AddressOr(const QString& page, const QUrl& fallback);
    WeatherEngine Engine() const { return engine_; }

    //! Where the strip goes in a screen's free area.
    static QPoint TopRightIn(const QRect& available);

    //! Null until the strip has been shown once.
    WeatherView* WeatherBrowser() const { return browser_.get(); }
    QTimer* RefreshTimer() const { return refreshTimer_; }

    void RefreshTimerTimer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PlaceTopRight();
    void MakeBrowser();

    SettingsFile settings_;
    WeatherViewFactory factory_;
    WeatherEngine engine_ = WeatherEngine::Light;
    QUrl address_;
    std::unique_ptr<WeatherView> browser_;
    QTimer* refreshTimer_;
};

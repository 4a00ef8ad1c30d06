#pragma once

#include "weather/WeatherView.h"

#include <QObject>

class QWebEngineView;

//! The weather page in Qt WebEngine. A page that cannot be loaded is replaced by a small
//! notice of our own that fits the strip, instead of the browser's error page.
class WebEngineWeatherView : public QObject, public WeatherView {
    Q_OBJECT
public:
    explicit WebEngineWeatherView(QWidget* parent);

    QWidget* Widget() override;
    void Load(const QUrl& address) override;
    void Reload() override;

    QWebEngineView* View() const { return view_; }
    bool ShowsNotice() const { return showsNotice_; }
    static QString NoticeText();

signals:
    //! After each load of the address: ok false when the notice is shown instead.
    void PageLoaded(bool ok);

private:
    void Finished(bool ok);

    QWebEngineView* view_;
    QUrl address_;
    bool loadingNotice_ = false;
    bool showsNotice_ = false;
};

#include "WebEngineWeatherView.h"

#include <QWebEngineView>

WebEngineWeatherView::WebEngineWeatherView(QWidget* parent)
    : QObject(parent), view_(new QWebEngineView(parent))
{
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    connect(view_, &QWebEngineView::loadFinished, this, &WebEngineWeatherView::Finished);
}

QWidget* WebEngineWeatherView::Widget()
{
    return view_;
}

QString WebEngineWeatherView::NoticeText()
{
    return QStringLiteral("天气信息暂时无法获取");
}

void WebEngineWeatherView::Load(const QUrl& address)
{
    address_ = address;
    showsNotice_ = false;
    loadingNotice_ = false;
    view_->load(address);
}

void WebEngineWeatherView::Reload()
{
    if (showsNotice_ || loadingNotice_)
        Load(address_); // the notice is not the page: ask for the address again
    else
        view_->reload();
}

void WebEngineWeatherView::Finished(bool ok)
{
    if (loadingNotice_) {
        loadingNotice_ = false;
        showsNotice_ = true;
        emit PageLoaded(false);
        return;
    }
    if (ok) {
        emit PageLoaded(true);
        return;
    }
    loadingNotice_ = true;
    view_->setHtml(QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
                                  "<body style=\"margin:0;height:60px;display:flex;"
                                  "align-items:center;justify-content:center;"
                                  "font:14px sans-serif;color:#333;background:#eef3f8\">"
                                  "%1</body></html>")
                       .arg(NoticeText()));
}

// The entry the program looks up when it loads this library on the strip's first showing.
extern "C" Q_DECL_EXPORT WeatherView* QuorlinMakeWeatherView(QWidget* parent)
{
    return new WebEngineWeatherView(parent);
}

#pragma once

#include "weather/WeatherFetch.h"
#include "weather/WeatherView.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTextBrowser>
#include <QTimer>

class QNetworkAccessManager;

//! The weather page as rich text: fetched over HTTP(S), shown in a text browser with its
//! pictures fetched the same way. Nothing of the page runs and nothing is read from local
//! files; a page that cannot be had within the limits is replaced by our own notice.
class LightWeatherView : public QObject, public WeatherView {
    Q_OBJECT
public:
    //! Pictures fetched per page at most: a page is a forecast, not an album.
    static constexpr int kMaxImages = 16;
    //! Larger pictures than this are not decoded (a small file can unpack to gigabytes).
    static constexpr int kMaxImageSide = 2048;

    explicit LightWeatherView(QWidget* parent, const WeatherFetch::Limits& limits = {});

    ~LightWeatherView() override;

    QWidget* Widget() override;
    void Load(const QUrl& address) override;
    //! Fetches the address again, after a failure as after a success.
    void Reload() override;

    QTextBrowser* Browser() const { return browser_; }
    bool ShowsNotice() const { return showsNotice_; }
    WeatherFetch::Failure LastFailure() const { return lastFailure_; }
    int ImagesShown() const { return int(images_.size()); }
    static QString NoticeText();
    //! The page's bytes as text. Rich text has no scripts: a script's source is skipped.
    static QString Decode(const QByteArray& body, const QString& contentType);

    //! What the browser asks for a picture or style sheet: only pictures we fetched.
    QVariant Resource(int type, const QUrl& name) const;

signals:
    //! After each load of the address: ok false when the notice is shown instead.
    void PageLoaded(bool ok);
    void ImageArrived(const QUrl& address);

private:
    void PageDone(bool ok);
    void FetchImages();
    void ImageDone(WeatherFetch* fetch, const QUrl& name, bool ok);
    void ShowNotice();
    void Render();

    WeatherFetch::Limits limits_;
    QNetworkAccessManager* net_;
    QPointer<QTextBrowser> browser_; // asks this view for pictures: goes with it
    void DropFetches();

    // Children of this view; a dropped fetch is aborted and freed later, as it may be the
    // one emitting.
    WeatherFetch* page_ = nullptr;
    QList<WeatherFetch*> imageFetches_;
    QUrl address_;
    QUrl base_;
    QString html_;
    QTimer renderSoon_;
    QHash<QUrl, QImage> images_;
    QSet<QUrl> asked_;
    bool showsNotice_ = false;
    WeatherFetch::Failure lastFailure_ = WeatherFetch::Failure::None;
};

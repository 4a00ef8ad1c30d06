#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

//! One download for the weather strip, held to limits so that a wrong or hostile address
//! can neither stall nor swamp the program: at most `maxBytes`, all of it within `timeoutMs`
//! (redirects included), redirects followed by hand at most `maxRedirects` times and only
//! to http or https. Emits Done once, unless destroyed or aborted first.
class WeatherFetch : public QObject {
    Q_OBJECT
public:
    enum class Kind { Page, Image };
    enum class Failure {
        None,
        NotWeb,
        Network,
        Status,
        TooLarge,
        TooSlow,
        TooManyRedirects,
        NotHtml
    };
    struct Limits {
        qint64 maxBytes = 1024 * 1024;
        int timeoutMs = 10000;
        int maxRedirects = 5;
    };

    WeatherFetch(QNetworkAccessManager& net, Kind kind, const Limits& limits,
                 QObject* parent = nullptr);
    ~WeatherFetch() override;

    void Start(const QUrl& address);
    //! Stops without emitting Done.
    void Abort();

    static bool IsWebAddress(const QUrl& address);

    //! After Done: the address the body came from, after redirects.
    const QUrl& Address() const { return address_; }
    const QByteArray& Body() const { return body_; }
    const QString& ContentType() const { return contentType_; }
    Failure Why() const { return why_; }

signals:
    void Done(bool ok);

private:
    void Request(const QUrl& address);
    void Headers();
    void Read();
    void ReplyFinished();
    void Fail(Failure why);
    void DropReply();

    QNetworkAccessManager& net_;
    Kind kind_;
    Limits limits_;
    QTimer deadline_;
    QPointer<QNetworkReply> reply_;
    QUrl address_;
    QByteArray body_;
    QString contentType_;
    int redirects_ = 0;
    Failure why_ = Failure::None;
    bool finished_ = false;
};

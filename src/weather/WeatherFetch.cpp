#include "WeatherFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

int StatusOf(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool IsHtmlType(const QString& contentType)
{
    const QString type = contentType.section(';', 0, 0).trimmed().toLower();
    return type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml");
}

// A page served without a type is taken for HTML only when it looks like markup.
bool LooksLikeHtml(const QByteArray& body)
{
    QByteArray head = body.left(512);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    return head.trimmed().startsWith('<');
}

} // namespace

WeatherFetch::WeatherFetch(QNetworkAccessManager& net, Kind kind, const Limits& limits,
                           QObject* parent)
    : QObject(parent), net_(net), kind_(kind), limits_(limits)
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { Fail(Failure::TooSlow); });
}

WeatherFetch::~WeatherFetch()
{
    DropReply();
}

bool WeatherFetch::IsWebAddress(const QUrl& address)
{
    const QString scheme = address.scheme().toLower();
    return address.isValid() && !address.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

void WeatherFetch::Start(const QUrl& address)
{
    DropReply();
    finished_ = false;
    why_ = Failure::None;
    redirects_ = 0;
    deadline_.start(limits_.timeoutMs);
    Request(address);
}

void WeatherFetch::Abort()
{
    finished_ = true;
    deadline_.stop();
    DropReply();
}

void WeatherFetch::Request(const QUrl& address)
{
    DropReply();
    address_ = address;
    body_.clear();
    contentType_.clear();
    if (!IsWebAddress(address))
        return Fail(Failure::NotWeb);
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Quorlin"));
    reply_ = net_.get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &WeatherFetch::Headers);
    connect(reply_, &QNetworkReply::readyRead, this, &WeatherFetch::Read);
    connect(reply_, &QNetworkReply::finished, this, &WeatherFetch::ReplyFinished);
}

void WeatherFetch::Headers()
{
    if (!reply_ || finished_)
        return;
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > limits_.maxBytes)
        return Fail(Failure::TooLarge);
    contentType_ = reply_->header(QNetworkRequest::ContentTypeHeader).toString();
    // Refused before the body comes: a wrong address may well name a large download.
    const int status = StatusOf(reply_);
    if (kind_ == Kind::Page && status >= 200 && status < 300 && !contentType_.isEmpty() &&
        !IsHtmlType(contentType_))
        return Fail(Failure::NotHtml);
}

void WeatherFetch::Read()
{
    if (!reply_ || finished_)
        return;
    body_ += reply_->read(limits_.maxBytes + 1 - body_.size());
    if (body_.size() > limits_.maxBytes)
        return Fail(Failure::TooLarge);
}

void WeatherFetch::ReplyFinished()
{
    if (!reply_ || finished_)
        return;
    Read();
    if (finished_)
        return;
    const int status = StatusOf(reply_);
    if (IsRedirect(status)) {
        const QUrl target = reply_->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
        if (target.isEmpty())
            return Fail(Failure::Status);
        if (++redirects_ > limits_.maxRedirects)
            return Fail(Failure::TooManyRedirects);
        return Request(address_.resolved(target));
    }
    if (status == 0 || reply_->error() != QNetworkReply::NoError)
        return Fail(status == 0 ? Failure::Network : Failure::Status);
    if (status < 200 || status >= 300)
        return Fail(Failure::Status);
    if (kind_ == Kind::Page && contentType_.isEmpty() && !LooksLikeHtml(body_))
        return Fail(Failure::NotHtml);
    finished_ = true;
    deadline_.stop();
    DropReply();
    emit Done(true);
}

void WeatherFetch::Fail(Failure why)
{
    if (finished_)
        return;
    finished_ = true;
    why_ = why;
    deadline_.stop();
    DropReply();
    body_.clear();
    emit Done(false);
}

void WeatherFetch::DropReply()
{
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

#include "LightWeatherView.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

namespace {

//! The strip's document takes its pictures from the view alone, and from `data:` addresses
//! inside the page: the stock document would read any `file:` address the page names.
class StripDocument : public QTextDocument {
public:
    StripDocument(const LightWeatherView& view, QObject* parent)
        : QTextDocument(parent), view_(view)
    {
    }

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0 &&
            type == QTextDocument::ImageResource)
            return QTextDocument::loadResource(type, name);
        return view_.Resource(type, name);
    }

private:
    const LightWeatherView& view_;
};

QString CharsetOf(const QString& contentType)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*\"?([^\";\\s]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return charset.match(contentType).captured(1);
}

} // namespace

LightWeatherView::LightWeatherView(QWidget* parent, const WeatherFetch::Limits& limits)
    : QObject(parent), limits_(limits), net_(new QNetworkAccessManager(this)),
      browser_(new QTextBrowser(parent))
{
    // Pictures that come together are drawn in one pass: a large page takes a while to lay out.
    renderSoon_.setSingleShot(true);
    renderSoon_.setInterval(100);
    connect(&renderSoon_, &QTimer::timeout, this, [this] {
        // Laid out again, the document asks for its pictures anew; the markup is not parsed.
        QTextDocument* document = browser_->document();
        document->markContentsDirty(0, document->characterCount());
        browser_->viewport()->update();
    });
    browser_->setDocument(new StripDocument(*this, browser_));
    browser_->setFrameShape(QFrame::NoFrame);
    browser_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser_->setOpenLinks(false);
    browser_->setOpenExternalLinks(false);
    browser_->setFocusPolicy(Qt::NoFocus);
    browser_->setTextInteractionFlags(Qt::NoTextInteraction);
    browser_->setContextMenuPolicy(Qt::NoContextMenu);
}

LightWeatherView::~LightWeatherView()
{
    delete browser_.data();
}

QWidget* LightWeatherView::Widget()
{
    return browser_;
}

QString LightWeatherView::NoticeText()
{
    return QStringLiteral("天气信息暂时无法获取");
}

void LightWeatherView::Load(const QUrl& address)
{
    address_ = address;
    DropFetches();
    page_ = new WeatherFetch(*net_, WeatherFetch::Kind::Page, limits_, this);
    connect(page_, &WeatherFetch::Done, this, &LightWeatherView::PageDone);
    page_->Start(address);
}

void LightWeatherView::DropFetches()
{
    renderSoon_.stop();
    if (page_) {
        page_->Abort();
        page_->deleteLater();
        page_ = nullptr;
    }
    for (WeatherFetch* fetch : std::as_const(imageFetches_)) {
        fetch->Abort();
        fetch->deleteLater();
    }
    imageFetches_.clear();
}

void LightWeatherView::Reload()
{
    Load(address_);
}

QString LightWeatherView::Decode(const QByteArray& body, const QString& contentType)
{
    // The server's charset first, then the page's own (BOM, meta), then UTF-8.
    const QString charset = CharsetOf(contentType);
    QStringDecoder byHeader(charset.toLatin1().constData());
    if (!charset.isEmpty() && byHeader.isValid())
        return byHeader.decode(body);
    QStringDecoder byPage = QStringDecoder::decoderForHtml(body);
    return byPage.isValid() ? QString(byPage.decode(body)) : QString::fromUtf8(body);
}

void LightWeatherView::PageDone(bool ok)
{
    if (!ok) {
        lastFailure_ = page_->Why();
        qWarning("weather page not shown (%d): %s", int(lastFailure_),
                 qPrintable(page_->Address().toDisplayString()));
        ShowNotice();
        emit PageLoaded(false);
        return;
    }
    lastFailure_ = WeatherFetch::Failure::None;
    showsNotice_ = false;
    base_ = page_->Address();
    html_ = Decode(page_->Body(), page_->ContentType());
    images_.clear();
    asked_.clear();
    Render();
    FetchImages();
    emit PageLoaded(true);
}

void LightWeatherView::Render()
{
    browser_->document()->setBaseUrl(base_);
    browser_->setHtml(html_);
}

void LightWeatherView::FetchImages()
{
    for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QUrl name = base_.resolved(QUrl(format.toImageFormat().name()));
            if (asked_.contains(name) || asked_.size() >= kMaxImages ||
                !WeatherFetch::IsWebAddress(name))
                continue;
            asked_.insert(name);
            auto* fetch = new WeatherFetch(*net_, WeatherFetch::Kind::Image, limits_, this);
            connect(fetch, &WeatherFetch::Done, this,
                    [this, fetch, name](bool done) { ImageDone(fetch, name, done); });
            imageFetches_ << fetch;
            fetch->Start(name);
        }
    }
}

void LightWeatherView::ImageDone(WeatherFetch* fetch, const QUrl& name, bool ok)
{
    if (!ok)
        return;
    QBuffer buffer;
    buffer.setData(fetch->Body());
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxImageSide || size.height() > kMaxImageSide)
        return;
    const QImage image = reader.read();
    if (image.isNull())
        return;
    images_.insert(name, image);
    renderSoon_.start();
    emit ImageArrived(name);
}

QVariant LightWeatherView::Resource(int type, const QUrl& name) const
{
    if (type != QTextDocument::ImageResource)
        return {};
    const auto image = images_.constFind(base_.resolved(name));
    return image == images_.cend() ? QVariant() : QVariant(*image);
}

void LightWeatherView::ShowNotice()
{
    showsNotice_ = true;
    renderSoon_.stop();
    html_.clear();
    images_.clear();
    browser_->setHtml(
        QStringLiteral("<table width=\"100%\" height=\"60\" cellspacing=\"0\" cellpadding=\"0\">"
                       "<tr><td align=\"center\" valign=\"middle\" style=\"font-size:14px;"
                       "color:#333333\">%1</td></tr></table>")
            .arg(NoticeText()));
}

#include "app/Logohint.h"

#include "app/Artwork.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Only these platform plugins make a top-level window translucent; the others (Wayland,
// offscreen) warn at every call, and the splash shows at full strength there.
bool CanFade()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows");
}

} // namespace

TLogo::TLogo(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Logo"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QLabel(this);
    picture->setPixmap(Artwork::SplashPicture());
    layout->addWidget(picture);
    setFixedSize(286, 162);
    if (CanFade())
        setWindowOpacity(AlphaBlendValue / 255.0);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TLogo::Timer1Timer);
}

void TLogo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen())
        move(screen->geometry().center() - rect().center());
    Timer1->start();
}

void TLogo::Timer1Timer()
{
    Counter += 10;
    if (AlphaBlendValue < 250)
        AlphaBlendValue += 25;
    if (CanFade())
        setWindowOpacity(AlphaBlendValue / 255.0);
    if (Counter > 150) {
        Timer1->stop();
        accept();
    }
}

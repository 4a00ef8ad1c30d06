#include "app/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kDeep(24, 74, 128);
const QColor kBright(62, 150, 214);
const QColor kAccent(255, 196, 64);

// A round clock face with a crescent: the program keeps time for its user day and night.
void DrawEmblem(QPainter& p, const QRectF& box)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(box.topLeft(), box.bottomRight());
    face.setColorAt(0, kBright);
    face.setColorAt(1, kDeep);
    p.setPen(QPen(Qt::white, box.width() / 16));
    p.setBrush(face);
    p.drawEllipse(
        box.adjusted(box.width() / 16, box.height() / 16, -box.width() / 16, -box.height() / 16));
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    p.setPen(QPen(Qt::white, r / 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -r * 0.55));
    p.drawLine(c, c + QPointF(r * 0.4, r * 0.15));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(c, r / 7, r / 7);
}

QPixmap Banner(QSize size, const QString& title, const QString& subtitle)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient bg(0, 0, size.width(), size.height());
    bg.setColorAt(0, kDeep);
    bg.setColorAt(1, kBright);
    p.fillRect(pixmap.rect(), bg);
    const int emblem = size.height() * 6 / 10;
    DrawEmblem(p, QRectF(size.height() / 5, (size.height() - emblem) / 2.0, emblem, emblem));
    p.setPen(Qt::white);
    QFont big = p.font();
    big.setPixelSize(size.height() / 5);
    big.setBold(true);
    p.setFont(big);
    const int left = size.height() / 5 * 2 + emblem;
    p.drawText(QRect(left, 0, size.width() - left, size.height() / 2 + 4),
               Qt::AlignLeft | Qt::AlignBottom, title);
    QFont small = p.font();
    small.setPixelSize(size.height() / 10);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(left, size.height() / 2 + 8, size.width() - left, size.height() / 2 - 8),
               Qt::AlignLeft | Qt::AlignTop, subtitle);
    return pixmap;
}

} // namespace

QIcon Artwork::AppIcon()
{
    QIcon icon;
    for (int side : {16, 22, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        DrawEmblem(p, QRectF(0, 0, side, side));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap Artwork::SplashPicture()
{
    return Banner(QSize(286, 162), QStringLiteral("Quorlin"), QStringLiteral("桌面助手 正在启动…"));
}

QPixmap Artwork::IllustratePicture()
{
    return Banner(QSize(520, 130), QStringLiteral("Quorlin 桌面助手"),
                  QStringLiteral("定时关机 · 闹钟备忘 · 网络电台 · 系统清理"));
}

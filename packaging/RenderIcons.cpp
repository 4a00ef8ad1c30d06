// Writes the program's own icon as hicolor PNGs for the Debian package, so the package
// shows exactly what the tray shows without committing binary images.
#include "app/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: quorlin_render_icons OUTPUT_DIR\n";
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QIcon icon = Artwork::AppIcon();
    const QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) {
        QTextStream(stderr) << "the program icon has no pictures\n";
        return 1;
    }
    for (const QSize& size : sizes) {
        const QString dir =
            QStringLiteral("%1/%2x%3/apps").arg(out).arg(size.width()).arg(size.height());
        const QString file = dir + QStringLiteral("/quorlin.png");
        // Only sizes the icon was drawn at: scaling would blur the thin hands.
        const QPixmap pixmap = icon.pixmap(size);
        if (pixmap.size() != size || !QDir().mkpath(dir) || !pixmap.save(file, "PNG")) {
            QTextStream(stderr) << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

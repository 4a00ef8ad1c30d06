// A native Wayland window with the title given as its one argument, for compositors where
// foot cannot run. Ends when its window is closed.

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QLabel window(QStringLiteral("Quorlin"));
    window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    window.resize(300, 80);
    window.show();
    return QApplication::exec();
}

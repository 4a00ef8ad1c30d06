// A native Wayland window for compositors where foot cannot run. Given a title as its one
// argument, a window of that title that ends when it is closed; given none, a typing
// target: what is typed into its one text field is written to $QUORLIN_WL_TYPED.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 2) {
        QLabel window(QStringLiteral("Quorlin"));
        window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
        window.resize(300, 80);
        window.show();
        return QApplication::exec();
    }
    const QString path = qEnvironmentVariable("QUORLIN_WL_TYPED");
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("typing target"));
    field.resize(400, 40);
    QObject::connect(&field, &QLineEdit::textChanged, [&](const QString& text) {
        QFile out(path);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(text.toUtf8());
    });
    field.show();
    field.activateWindow();
    QFile ready(path);
    if (!ready.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    ready.close();
    return QApplication::exec();
}

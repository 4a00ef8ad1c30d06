// A native Wayland window with one text field, for compositors where foot cannot run:
// what is typed into it is written to $QUORLIN_WL_TYPED.

#include <QApplication>
#include <QFile>
#include <QLineEdit>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
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

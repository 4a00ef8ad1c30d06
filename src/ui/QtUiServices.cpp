#include "ui/QtUiServices.h"

#include "ui/AppTitle.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QSystemTrayIcon>

namespace {

// Every box's text also goes to the log (standard error), one line a box: what the user was
// told stays readable after the box is answered, also by a script watching the program.
Q_LOGGING_CATEGORY(lcBoxes, "quorlin.boxes")

// A hidden main window would make a parented box invisible; boxes then stand alone.
QWidget* VisibleOrNull(QWidget* w)
{
    return w && w->isVisible() ? w : nullptr;
}

int Exec(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
         QWidget* parent)
{
    QString line = text;
    qCInfo(lcBoxes).noquote() << line.replace(u'\n', u'\u23CE');
    QMessageBox box(icon, AppTitle(), text, buttons, VisibleOrNull(parent));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return box.exec();
}

} // namespace

QtUiServices::QtUiServices() = default;
QtUiServices::~QtUiServices() = default;

void QtUiServices::SetNotices(std::unique_ptr<DesktopNotices> notices)
{
    notices_ = std::move(notices);
}

DesktopNotices& QtUiServices::Notices()
{
    // Made on first use, once the application exists; the start asks for it early, so the
    // bus has told whether a StatusNotifier tray is there before the first notice.
    if (!notices_)
        notices_ = std::make_unique<DesktopNotices>();
    return *notices_;
}

void QtUiServices::ShowMessage(const QString& text)
{
    Exec(QMessageBox::Information, text, QMessageBox::Ok, parent_);
}

void QtUiServices::ShowYesOnly(const QString& text)
{
    Exec(QMessageBox::Question, text, QMessageBox::Yes, parent_);
}

bool QtUiServices::AskYesNo(const QString& text)
{
    return Exec(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, parent_) ==
           QMessageBox::Yes;
}

std::optional<QString> QtUiServices::InputBox(const QString& caption, const QString& prompt,
                                              const QString& initial, bool password)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(VisibleOrNull(parent_), caption, prompt,
                              password ? QLineEdit::Password : QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtUiServices::OpenFile(const QString& caption, const QString& filter,
                                              const QString& directory)
{
    const QString file = QFileDialog::getOpenFileName(VisibleOrNull(parent_), caption, directory,
                                                      QtFileFilter(filter));
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

void QtUiServices::ShowBalloon(const QString& title, const QString& text, int timeoutMs)
{
    if (tray_ && tray_->isVisible() && Notices().TrayShowsBalloons())
        tray_->showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
    else
        Notices().Show(title, text, timeoutMs);
}

void QtUiServices::ShowError(const QString& text)
{
    Exec(QMessageBox::Critical, text, QMessageBox::Ok, parent_);
}

QString QtFileFilter(const QString& filter)
{
    if (!filter.contains('|'))
        return filter;
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts))
            patterns << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
        entries << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(' '));
    }
    return entries.join(QStringLiteral(";;"));
}

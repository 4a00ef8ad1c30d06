#include "ui/QtUiServices.h"

#include "ui/AppTitle.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSystemTrayIcon>

namespace {

// Every box's text also goes to the log (standard error), one line a box: what the user was
// told stays readable after the box is answered, also by a script watching the program.
Q_LOGGING_CATEGORY(lcBoxes, "quorlin.boxes")
// What a silenced box would have said: not shown, so not among the boxes.
Q_LOGGING_CATEGORY(lcUnshown, "quorlin.unshown")

// A hidden main window would make a parented box invisible; boxes then stand alone.
QWidget* VisibleOrNull(QWidget* w)
{
    return w && w->isVisible() ? w : nullptr;
}

// Modal to the main window only: a window of its own, the countdown before a power action,
// must stay usable while any box waits for its answer. Without a shown main window the box
// stands alone and blocks nothing.
void MakeModal(QDialog& box)
{
    box.setWindowModality(Qt::WindowModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

void Log(const QString& text, bool shown)
{
    // One line a box: a NUL would end the log line early, a line break would split it.
    QString line = text;
    for (QChar& c : line) {
        if (c == u'\n')
            c = QChar(0x23CE);
        else if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    if (shown)
        qCInfo(lcBoxes).noquote() << line;
    else
        qCInfo(lcUnshown).noquote() << line;
}

int Exec(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
         QWidget* parent)
{
    Log(text, true);
    QMessageBox box(icon, AppTitle(), text, buttons, VisibleOrNull(parent));
    MakeModal(box);
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

void QtUiServices::SetSilent(bool silent)
{
    silent_ = silent;
}

void QtUiServices::ShowMessage(const QString& text)
{
    if (silent_)
        return Log(text, false);
    const auto closed = qScopeGuard([this] { BoxClosed(); });
    Exec(QMessageBox::Information, text, QMessageBox::Ok, parent_);
}

void QtUiServices::ShowYesOnly(const QString& text)
{
    if (silent_)
        return Log(text, false);
    const auto closed = qScopeGuard([this] { BoxClosed(); });
    Exec(QMessageBox::Question, text, QMessageBox::Yes, parent_);
}

bool QtUiServices::AskYesNo(const QString& text)
{
    if (silent_) {
        Log(text, false);
        return false;
    }
    const auto closed = qScopeGuard([this] { BoxClosed(); });
    return Exec(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, parent_) ==
           QMessageBox::Yes;
}

std::optional<QString> QtUiServices::InputBox(const QString& caption, const QString& prompt,
                                              const QString& initial, bool password)
{
    if (silent_) {
        Log(prompt, false);
        return std::nullopt;
    }
    const auto closed = qScopeGuard([this] { BoxClosed(); });
    QInputDialog box(VisibleOrNull(parent_));
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(initial);
    box.setTextEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
    MakeModal(box);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

std::optional<QString> QtUiServices::OpenFile(const QString& caption, const QString& filter,
                                              const QString& directory)
{
    if (silent_)
        return std::nullopt;
    const auto closed = qScopeGuard([this] { BoxClosed(); });
    QFileDialog box(VisibleOrNull(parent_), caption, directory, QtFileFilter(filter));
    box.setFileMode(QFileDialog::ExistingFile);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setWindowModality(Qt::WindowModal);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    return box.selectedFiles().constFirst();
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
    if (silent_)
        return Log(text, false);
    const auto closed = qScopeGuard([this] { BoxClosed(); });
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

#pragma once

#include "ui/UiServices.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

//! Real boxes, modal to the main window alone, and balloons on its tray icon.
class QtUiServices : public UiServices {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void SetTrayIcon(QSystemTrayIcon* tray) { tray_ = tray; }

    void SetSilent(bool silent) override;
    void ShowMessage(const QString& text) override;
    void ShowYesOnly(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                    const QString& initial, bool password) override;
    std::optional<QString> OpenFile(const QString& caption, const QString& filter,
                                    const QString& directory) override;
    void ShowBalloon(const QString& title, const QString& text, int timeoutMs) override;
    void ShowError(const QString& text) override;

private:
    QPointer<QWidget> parent_;
    QPointer<QSystemTrayIcon> tray_;
    bool silent_ = false;
};

//! A filter written as "description|patterns|description|patterns" in the file dialog's own
//! form ("description (patterns);;..."). "*.*" means every file, with or without a dot.
//! Text without "|" is passed on as it is.
QString QtFileFilter(const QString& filter);

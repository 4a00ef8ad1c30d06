#pragma once

#include "ui/DesktopNotices.h"
#include "ui/UiServices.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>

//! Real boxes, modal to the main window alone; notices as balloons on its tray icon where the
//! tray shows them, otherwise through the desktop's notification service.
class QtUiServices : public UiServices {
public:
    QtUiServices();
    ~QtUiServices() override;

    void SetParent(QWidget* parent) { parent_ = parent; }
    void SetTrayIcon(QSystemTrayIcon* tray) { tray_ = tray; }
    //! Replaces the notices on the session bus (tests bring a bus of their own).
    void SetNotices(std::unique_ptr<DesktopNotices> notices);
    DesktopNotices& Notices();

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
    std::unique_ptr<DesktopNotices> notices_;
    bool silent_ = false;
};

//! A filter written as "description|patterns|description|patterns" in the file dialog's own
//! form ("description (patterns);;..."). "*.*" means every file, with or without a dot.
//! Text without "|" is passed on as it is.
QString QtFileFilter(const QString& filter);

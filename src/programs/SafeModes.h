#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class FeatureContext;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

//! The password lock over the program's own window: set on the "设置" page, it disables the
//! tabs, lays a panel over the window, closes the system's task manager and clock windows
//! once a second and asks for the password before the program exits.
class SafeModes : public QObject {
    Q_OBJECT
public:
    explicit SafeModes(FeatureContext& ctx);
    ~SafeModes() override;

    QCheckBox* EnableSafeCheckBox = nullptr;
    QLineEdit* CheckPasswordMaskEdit = nullptr;
    QLineEdit* PasswordMaskEdit = nullptr;
    QPushButton* CancelPasswodButton = nullptr;

    QWidget* SafeModePanel = nullptr;
    QLabel* Image2 = nullptr;
    QLineEdit* SafeModePasswordMaskEdit = nullptr;
    QPushButton* SaveModeButton = nullptr;

    //! The windows closed while the lock is on: task managers and clock settings by their
    //! exact titles on a Chinese desktop.
    static const QStringList& GuardedTitles();

    //! The password in effect, as stored: a digest, or empty for none.
    const QString& Password() const { return password_; }
    bool Locked() const;

    void LoadSafeModes();
    void SaveSafeModes();
    void EnableSafeCheckBoxClick();
    void CancelPasswodButtonClick();
    void SaveModeButtonClick();
    void GuardSafeMode();
    //! The exit prompt: false keeps the program running.
    bool ExitPasswordQuery();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGroup();
    void BuildPanel();
    void ShowLock(bool on);

    FeatureContext& ctx_;
    QWidget* window_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QString password_;
    bool lockShown_ = false;
};

#pragma once

#include <QString>

#include <functional>
#include <optional>

//! Everything that opens a box or a notice. The Qt implementation opens real modal boxes
//! whose nested event loops keep the one-second tick running; tests use a recording fake.
class UiServices {
public:
    virtual ~UiServices() = default;

    //! Plain modal message with an OK button, captioned with the application title.
    virtual void ShowMessage(const QString& text) = 0;
    //! Modal confirmation with a single Yes button; returns when it is answered.
    virtual void ShowYesOnly(const QString& text) = 0;
    //! Yes/No question; true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    //! One line of input; nothing when cancelled. `password` hides what is typed.
    virtual std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                            const QString& initial, bool password = false) = 0;
    //! A file-open dialog; nothing when cancelled.
    virtual std::optional<QString> OpenFile(const QString& caption, const QString& filter,
                                            const QString& directory = QString()) = 0;
    //! Passive notice on the tray icon.
    virtual void ShowBalloon(const QString& title, const QString& text, int timeoutMs) = 0;
    //! The application's error box, for errors that escape a handler.
    virtual void ShowError(const QString& text) = 0;
    //! While silent no box opens: the session is ending and nobody would answer. Texts go
    //! to the log only, questions get the cautious answer (No, cancelled).
    virtual void SetSilent(bool) {}
    //! Runs after every box closes: its answer may have changed what is due and when.
    void SetBoxClosed(std::function<void()> hook) { boxClosed_ = std::move(hook); }

protected:
    void BoxClosed() const
    {
        if (boxClosed_)
            boxClosed_();
    }

private:
    std::function<void()> boxClosed_;
};

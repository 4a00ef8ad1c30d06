#pragma once

#include "DesktopBus.h"
#include "platform/WindowsByTitle.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include <memory>

namespace platform {

//! GNOME Shell: windows by title through the small shell extension shipped with the
//! program, which lists the titles and closes by title on the session bus. GNOME offers
//! no other way for a program to see or close the windows of another one. The checks ask
//! every second, so nothing here waits for the shell: the titles are those of its last
//! answer, asked for again at most twice a second, and a close is sent without waiting.
class ShellExtensionWindows : public WindowsByTitle {
public:
    //! The extension's identity in the shell and on the bus.
    static const char* const kUuid;
    static const char* const kService;
    static const char* const kPath;
    static const char* const kInterface;

    //! Talks to the shell on the session bus, or on the bus at `busAddress` in tests.
    //! A shell that has the extension installed but switched off is asked to switch it on.
    explicit ShellExtensionWindows(QString busAddress = {});

    //! Whether the extension answers on the bus now.
    bool available() override;
    bool exists(const std::u16string& title) override;
    bool requestClose(const std::u16string& title) override;
    //! One call for all the titles; the shell asks the first window of each to close.
    std::vector<std::u16string>
    requestCloseEach(const std::vector<std::u16string>& titles) override;

private:
    void Refresh();

    DesktopBus bus_;
    QStringList titles_;
    bool asking_ = false;
    QElapsedTimer asked_;
    // Owns the calls under way, so that no answer arrives after we are gone.
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
};

} // namespace platform

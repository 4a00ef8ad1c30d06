#pragma once

#include "platform/Platform.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

//! Windows that "exist" by title; close requests are recorded.
class FakeWindows : public platform::WindowsByTitle {
public:
    QStringList titles;
    QStringList closeRequests;
    //! False: a desktop that lets us close no other program's window.
    bool closable = true;

    bool available() override { return closable; }
    bool exists(const std::u16string& title) override
    {
        return titles.contains(QString::fromStdU16String(title));
    }
    bool requestClose(const std::u16string& title) override
    {
        const QString t = QString::fromStdU16String(title);
        if (!titles.contains(t))
            return false;
        closeRequests << t;
        return true;
    }
};

class FakeShell : public platform::Shell {
public:
    QStringList opened;
    void open(const std::u16string& target) override
    {
        opened << QString::fromStdU16String(target);
    }
};

class FakeAutostart : public platform::AutostartEntry {
public:
    std::optional<std::u16string> entry;
    bool refuse = false;

    void write(const std::u16string& executable) override
    {
        if (refuse)
            throw std::runtime_error("拒绝访问");
        entry = u"\"" + executable + u"\" -Min";
    }
    void remove() override
    {
        if (refuse)
            throw std::runtime_error("拒绝访问");
        entry.reset();
    }
    std::optional<std::u16string> read() override { return entry; }
};

//! Records every launch; answers with the scripted code of its path (started otherwise).
class FakeLauncher : public platform::CommandLauncher {
public:
    struct Call {
        QString path;
        int showMode;
    };
    QList<Call> calls;
    QHash<QString, unsigned> codes;
    //! Whole failures, error number and cause included; before `codes`.
    QHash<QString, Result> failures;
    //! Processes that have not ended yet; every started one runs until removed.
    QSet<std::int64_t> running;
    std::int64_t nextProcess = 1000;

    Result launch(const std::u16string& path, int showMode) override
    {
        const QString p = QString::fromStdU16String(path);
        calls << Call{p, showMode};
        if (const auto failure = failures.constFind(p); failure != failures.constEnd())
            return *failure;
        const unsigned code = codes.value(p, 33);
        if (code < 32)
            return {code, 0};
        running.insert(nextProcess);
        return {code, nextProcess++};
    }
    bool hasExited(std::int64_t process) override { return !running.contains(process); }
    QStringList paths() const
    {
        QStringList out;
        for (const auto& c : calls)
            out << c.path;
        return out;
    }
};

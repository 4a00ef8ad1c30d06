#pragma once

#include "platform/Platform.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

//! Windows that "exist" by title; close requests are recorded.
class FakeWindows : public platform::WindowsByTitle {
public:
    QStringList titles;
    QStringList closeRequests;

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

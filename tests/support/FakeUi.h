#pragma once

#include "ui/UiServices.h"

#include <QStringList>

#include <deque>
#include <functional>

//! Records every box and notice; answers from scripted queues. `WhileOpen` runs inside
//! a box, as the ticks that a real modal loop keeps delivering would.
class FakeUi : public UiServices {
public:
    struct Call {
        QString kind; // "message", "yesonly", "yesno", "input", "file", "balloon", "error"
        QString text;
        QString title;
    };

    std::vector<Call> calls;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<std::optional<QString>> fileAnswers;
    std::function<void(const Call&)> WhileOpen;
    //! Filter and start folder of the last file dialog.
    QString lastFileFilter;
    QString lastFileDirectory;

    void ShowMessage(const QString& text) override { Box({"message", text, {}}); }
    void ShowYesOnly(const QString& text) override { Box({"yesonly", text, {}}); }
    bool AskYesNo(const QString& text) override
    {
        Box({"yesno", text, {}});
        return Pop(yesNoAnswers);
    }
    std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString&,
                                    bool) override
    {
        Box({"input", prompt, caption});
        return Pop(inputAnswers);
    }
    std::optional<QString> OpenFile(const QString& caption, const QString& filter,
                                    const QString& directory) override
    {
        lastFileFilter = filter;
        lastFileDirectory = directory;
        Box({"file", caption, {}});
        return Pop(fileAnswers);
    }
    void ShowBalloon(const QString& title, const QString& text, int) override
    {
        calls.push_back({"balloon", text, title});
    }
    void ShowError(const QString& text) override { Box({"error", text, {}}); }

    //! The texts of the calls of one kind, in order.
    QStringList Texts(const QString& kind) const
    {
        QStringList out;
        for (const Call& c : calls)
            if (c.kind == kind)
                out << c.text;
        return out;
    }
    int Count(const QString& kind) const { return static_cast<int>(Texts(kind).size()); }
    void Clear() { calls.clear(); }

private:
    void Box(Call call)
    {
        calls.push_back(call);
        if (WhileOpen)
            WhileOpen(call);
    }
    //! The next scripted answer; "no" or "cancelled" once the script has run out.
    template <typename T> static T Pop(std::deque<T>& queue)
    {
        T value{};
        if (!queue.empty()) {
            value = std::move(queue.front());
            queue.pop_front();
        }
        return value;
    }
};

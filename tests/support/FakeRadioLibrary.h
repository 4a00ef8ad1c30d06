#pragma once

#include "radio/NetRadioLibrary.h"

#include <QString>
#include <QStringList>

#include <memory>

//! Records every command the radio sends, as "code:argument", and answers the status
//! command with `status`. Outlives the windows that use it, so a restart keeps the record.
//! `state` is what the stream does: an open makes it Opening, a stop Stopped; the test
//! moves it on (Playing, Dropped ...).
class FakeRadioLibrary : public NetRadioLibrary {
public:
    QStringList commands;
    QString status = QStringLiteral("正在播放");
    StreamState state;

    QString ExecuteWMP(int command, const QString& argument) override
    {
        commands << QStringLiteral("%1:%2").arg(command).arg(argument);
        if (command == Open)
            state = {StreamState::Opening, false, {}};
        else if (command == Stop)
            state = {StreamState::Stopped, false, {}};
        return command == Status ? status : QString();
    }
    StreamState State() const override { return state; }

    //! The commands other than the status queries, which the tick sends every second.
    QStringList Sent() const
    {
        QStringList out;
        for (const QString& c : commands)
            if (!c.startsWith(QLatin1String("2:")))
                out << c;
        return out;
    }
    void Clear() { commands.clear(); }

    //! A library for one window that forwards to this recorder.
    std::unique_ptr<NetRadioLibrary> Handle()
    {
        struct Forward : NetRadioLibrary {
            explicit Forward(FakeRadioLibrary& to) : to(to) {}
            QString ExecuteWMP(int command, const QString& argument) override
            {
                return to.ExecuteWMP(command, argument);
            }
            StreamState State() const override { return to.State(); }
            FakeRadioLibrary& to;
        };
        return std::make_unique<Forward>(*this);
    }
};

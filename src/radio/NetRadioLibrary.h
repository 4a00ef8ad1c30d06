#pragma once

#include <QString>

#include <functional>
#include <memory>

//! The stream player behind the radio page. One entry point takes a command code and a
//! text argument and answers with a text; every call comes from the UI thread and returns
//! at once, the stream itself is opened and played in the background.
class NetRadioLibrary {
public:
    enum Command {
        Open = 0,   //!< argument: the stream or playlist address; starts playing it
        Status = 2, //!< answers a short Chinese status text of the current stream
        Prepare = 3,
        Stop = 4,
        Volume = 5, //!< argument: "0" to "100"
    };

    //! What the player knows of the stream beyond the status text: enough to tell a
    //! stream that dropped from one that never worked, and the title the station sends.
    struct StreamState {
        enum Phase {
            Idle,    //!< nothing asked of it, or a player that does not tell
            Opening, //!< reading a playlist, connecting or buffering
            Playing,
            Dropped, //!< played, then the stream ended, broke off or stalled for good
            Failed,  //!< never played
            Stopped,
        };
        Phase phase = Idle;
        //! The address itself is wrong (not found, forbidden, not sound): trying it again
        //! later will not help.
        bool hopeless = false;
        QString title;
    };

    virtual ~NetRadioLibrary() = default;
    virtual QString ExecuteWMP(int command, const QString& argument) = 0;
    //! Answers at once, like the status command; the radio asks it once a second.
    virtual StreamState State() const { return {}; }
};

using NetRadioLibraryFactory = std::function<std::unique_ptr<NetRadioLibrary>()>;

//! The player the main window uses: the Qt Multimedia one, unless a test installed another.
std::unique_ptr<NetRadioLibrary> CreateNetRadioLibrary();
//! Replaces the player the next main windows get; an empty factory restores the real one.
void SetNetRadioLibraryFactory(NetRadioLibraryFactory factory);

#pragma once

#include <string>
#include <vector>

namespace platform {

//! Top-level windows of any program, found by their exact title (hidden windows included).
class WindowsByTitle {
public:
    virtual ~WindowsByTitle() = default;
    //! False where this desktop lets us neither see nor close other programs' windows now,
    //! so that blocking and the lock can say so when they are set up.
    virtual bool available() { return true; }
    virtual bool exists(const std::u16string& title) = 0;
    //! Asks the first window with this title to close, as its close button would.
    //! False when no such window exists.
    virtual bool requestClose(const std::u16string& title) = 0;
    //! requestClose for each title, done in one look over the windows where the system
    //! allows; the titles a request went to.
    virtual std::vector<std::u16string> requestCloseEach(const std::vector<std::u16string>& titles)
    {
        std::vector<std::u16string> closed;
        for (const auto& title : titles)
            if (requestClose(title))
                closed.push_back(title);
        return closed;
    }
};

} // namespace platform

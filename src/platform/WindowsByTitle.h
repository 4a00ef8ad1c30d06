#pragma once

#include <string>

namespace platform {

//! Top-level windows of any program, found by their exact title (hidden windows included).
class WindowsByTitle {
public:
    virtual ~WindowsByTitle() = default;
    virtual bool exists(const std::u16string& title) = 0;
    //! Asks the first window with this title to close, as its close button would.
    //! False when no such window exists.
    virtual bool requestClose(const std::u16string& title) = 0;
};

} // namespace platform

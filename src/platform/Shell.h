#pragma once

#include <string>

namespace platform {

//! The desktop's "open" action for a file or an address; the result is not reported.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void open(const std::u16string& target) = 0;
};

} // namespace platform

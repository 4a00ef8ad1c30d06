#pragma once

#include <optional>
#include <string>

namespace platform {

//! The program's own entry that starts it hidden at logon.
//! write and remove throw std::runtime_error with the system's reason when refused.
class AutostartEntry {
public:
    virtual ~AutostartEntry() = default;
    //! Registers `executable` to start with the argument -Min.
    virtual void write(const std::u16string& executable) = 0;
    virtual void remove() = 0;
    //! The command line registered now, if any.
    virtual std::optional<std::u16string> read() = 0;
};

} // namespace platform

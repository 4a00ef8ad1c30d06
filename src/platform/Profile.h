#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

//! INI ("profile") file operations with the Windows profile semantics.
//! File paths are UTF-16; files hold ANSI (code page 936) text.
class Profile {
public:
    using Entry = std::pair<std::u16string, std::u16string>;

    virtual ~Profile() = default;

    //! The value of `key` in `section`, or `fallback` when absent; at most `maxChars` characters.
    virtual std::u16string readString(const std::u16string& file, const std::u16string& section,
                                      const std::u16string& key, const std::u16string& fallback,
                                      std::size_t maxChars = 2047) = 0;
    //! Creates file, section and key as needed. False when the system refuses the write, and
    //! for text that cannot be stored as one line: a line break anywhere, "]" in the section,
    //! "=" in the key, or an empty section name.
    virtual bool writeString(const std::u16string& file, const std::u16string& section,
                             const std::u16string& key, const std::u16string& value) = 0;
    //! Removes one key; true when the file was written (or there was nothing to do).
    virtual bool deleteKey(const std::u16string& file, const std::u16string& section,
                           const std::u16string& key) = 0;
    //! Section names in file order.
    virtual std::vector<std::u16string> sectionNames(const std::u16string& file) = 0;
    //! The key/value entries of one section in file order.
    virtual std::vector<Entry> sectionEntries(const std::u16string& file,
                                              const std::u16string& section) = 0;
};

} // namespace platform

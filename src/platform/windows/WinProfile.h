#pragma once

#include "platform/Profile.h"

namespace platform {

//! The kernel32 profile functions.
class WinProfile : public Profile {
public:
    std::u16string readString(const std::u16string& file, const std::u16string& section,
                              const std::u16string& key, const std::u16string& fallback,
                              std::size_t maxChars = 2047) override;
    bool writeString(const std::u16string& file, const std::u16string& section,
                     const std::u16string& key, const std::u16string& value) override;
    bool deleteKey(const std::u16string& file, const std::u16string& section,
                   const std::u16string& key) override;
    std::vector<std::u16string> sectionNames(const std::u16string& file) override;
    std::vector<Entry> sectionEntries(const std::u16string& file,
                                      const std::u16string& section) override;
};

} // namespace platform

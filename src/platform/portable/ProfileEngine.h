#pragma once

#include "platform/AnsiCodePage.h"
#include "platform/Profile.h"
#include "platform/portable/AtomicFile.h"
#include "platform/portable/LastParse.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <string_view>

namespace platform {

//! Names and values a profile write may carry: no line breaks (they would inject other
//! lines), no "]" in a section name and no "=" in a key, which could not be read back.
//! The Windows binding applies the same rule, so both refuse the same writes.
bool profileWriteIsSafe(const std::u16string& section, const std::u16string& key,
                        const std::u16string* value);

//! The profile (INI) operations done on the file text, with the Windows rules: names compare
//! without case and without surrounding blanks, the first of duplicate sections or keys wins,
//! values lose surrounding blanks and one pair of matching quotes. Writes keep every other line
//! as it was and end lines with CR LF.
class ProfileEngine : public Profile {
public:
    explicit ProfileEngine(const AnsiCodePage& ansi, const FileBytes& files = FileBytes::disk())
        : ansi_(ansi), files_(files)
    {
    }

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

private:
    struct Line;
    struct Document;
    //! The file parsed; empty for a file that does not exist, null when it cannot be read.
    std::shared_ptr<const Document> load(const std::u16string& file) const;
    //! Writes the document's lines with `drop` lines from `at` on replaced by `insert`.
    bool save(const std::u16string& file, const Document& doc, std::size_t at, std::size_t drop,
              std::initializer_list<std::string_view> insert) const;

    const AnsiCodePage& ansi_;
    const FileBytes& files_;
    LastParse<Document> last_;
};

} // namespace platform

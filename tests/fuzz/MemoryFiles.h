// Files held in memory under the text formats' file layer: a fuzz input reaches the parser
// without a trip through the file system, which would cost more than the code under test.
#pragma once

#include "platform/portable/AtomicFile.h"

#include <cstdint>
#include <map>

namespace fuzz {

class MemoryFiles : public platform::FileBytes {
public:
    //! A name for a file held here, in a folder that does not exist: code that also looks at
    //! the file system (the settings file keeps its file private) finds nothing and makes
    //! nothing there.
    static std::u16string Path(const std::u16string& name)
    {
        return u"/nonexistent/quorlin-fuzz/" + name;
    }

    void set(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size)
    {
        files_[path].assign(reinterpret_cast<const char*>(data), size);
    }
    const std::string& get(const std::filesystem::path& path) const { return files_[path]; }

    std::optional<std::string> read(const std::filesystem::path& path, bool* missing) const override
    {
        const auto it = files_.find(path);
        if (missing)
            *missing = it == files_.end();
        if (it == files_.end())
            return std::nullopt;
        return it->second;
    }
    bool write(const std::filesystem::path& path, const std::string& bytes) const override
    {
        files_[path] = bytes;
        return true;
    }

private:
    mutable std::map<std::filesystem::path, std::string> files_;
};

} // namespace fuzz

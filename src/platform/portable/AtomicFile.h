#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

//! The whole file's bytes; std::nullopt when it cannot be read. `missing` tells apart a
//! file that does not exist (not an error for stores that start empty).
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         bool* missing = nullptr);

//! Replaces the file's content through a temporary file in the same folder and a rename,
//! so readers and crashes see the old content or the new, never a half. False when refused.
bool writeFileAtomically(const std::filesystem::path& path, const std::string& bytes);

//! Removes the temporary files that writes of `path` killed half-way left beside it (named
//! as writeFileAtomically names them, untouched for a minute), so that a folder does not fill
//! up over the crashes of years. Looks once per path and process: the reads and writes above
//! call it, so the first use of a file after a start tidies it.
void removeStaleTemporaries(const std::filesystem::path& path);

//! The two calls above as an object, so that the text formats built on them can also be run
//! on bytes held in memory (the fuzz targets do, to test the parsers and not the disk).
class FileBytes {
public:
    virtual ~FileBytes() = default;
    virtual std::optional<std::string> read(const std::filesystem::path& path, bool* missing) const
    {
        return readWholeFile(path, missing);
    }
    virtual bool write(const std::filesystem::path& path, const std::string& bytes) const
    {
        return writeFileAtomically(path, bytes);
    }
    //! The files on disk.
    static const FileBytes& disk()
    {
        static const FileBytes files;
        return files;
    }
};

} // namespace platform

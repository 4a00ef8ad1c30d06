// Pieces every fuzz target shares: a scratch file per process and a hard check.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

//! A file of this process in QUORLIN_FUZZ_DIR (run-fuzz.sh points it at a memory-backed
//! folder it removes afterwards), else in the temporary folder.
inline std::filesystem::path scratchPath(const std::string& name)
{
    static const char* dir = std::getenv("QUORLIN_FUZZ_DIR");
    const std::filesystem::path base =
        dir && *dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
    return base / ("quorlin-fuzz-" + std::to_string(::getpid()) + "-" + name);
}

//! A broken invariant is a crash to libFuzzer.
inline void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace fuzz

// Any bytes as a profile file: every read must come back without a crash, and a write must
// read back and keep the sections that were there.
#include "platform/linux/QtAnsiCodePage.h"
#include "platform/portable/ProfileEngine.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// run-fuzz.sh points QUORLIN_FUZZ_DIR at a memory-backed folder it removes afterwards.
const std::filesystem::path& scratchFile()
{
    static const char* dir = std::getenv("QUORLIN_FUZZ_DIR");
    static const std::filesystem::path path =
        (dir && *dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path()) /
        ("quorlin-profile-fuzz-" + std::to_string(::getpid()) + ".ini");
    return path;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const platform::QtAnsiCodePage ansi;
    platform::ProfileEngine profile(ansi);
    {
        std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    const std::u16string file = scratchFile().u16string();

    const auto names = profile.sectionNames(file);
    for (const auto& section : names) {
        for (const auto& entry : profile.sectionEntries(file, section)) {
            const std::u16string& key = entry.first;
            profile.readString(file, section, key, u"", 1 << 20);
            for (const std::size_t cut : {std::size_t(0), std::size_t(1), std::size_t(7)})
                check(profile.readString(file, section, key, u"d", cut).size() <= cut);
        }
    }
    profile.readString(file, u"", u"", u" \"fallback\" ");
    profile.sectionEntries(file, u"");

    if (profile.writeString(file, u"QuorlinFuzz", u"k", u"written value")) {
        check(profile.readString(file, u"QuorlinFuzz", u"k", u"") == u"written value");
        const auto after = profile.sectionNames(file);
        check(after.size() >= names.size() &&
              std::equal(names.begin(), names.end(), after.begin()));
    }
    return 0;
}

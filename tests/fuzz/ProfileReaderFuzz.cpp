// Any bytes as a profile file (the settings file, the station catalogue, "Weather"): every
// read must come back without a crash, and a write must read back and keep the sections that
// were there.
#include "FuzzSupport.h"

#include "MemoryFiles.h"
#include "platform/linux/QtAnsiCodePage.h"
#include "platform/portable/ProfileEngine.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const platform::QtAnsiCodePage ansi;
    static const std::u16string file = fuzz::MemoryFiles::Path(u"profile.ini");
    fuzz::MemoryFiles files;
    files.set(file, data, size);
    platform::ProfileEngine profile(ansi, files);

    // Each read looks the file over again: a bounded number of them (sections included: an
    // input can hold thousands) keeps the run fast on long inputs, and the names the file
    // holds are still all parsed.
    int budget = 32;
    const auto names = profile.sectionNames(file);
    for (const auto& section : names) {
        if (budget < 0)
            break;
        for (const auto& entry : profile.sectionEntries(file, section)) {
            if (--budget < 0)
                break;
            const std::u16string& key = entry.first;
            const std::size_t cut = std::size_t(budget % 8);
            fuzz::check(profile.readString(file, section, key, u"d", cut).size() <= cut);
        }
    }
    profile.readString(file, u"", u"", u" \"fallback\" ");
    profile.sectionEntries(file, u"");

    if (profile.writeString(file, u"QuorlinFuzz", u"k", u"written value")) {
        fuzz::check(profile.readString(file, u"QuorlinFuzz", u"k", u"") == u"written value");
        const auto after = profile.sectionNames(file);
        fuzz::check(after.size() >= names.size() &&
                    std::equal(names.begin(), names.end(), after.begin()));
        // Deleting what was just written leaves the other sections as they were.
        fuzz::check(profile.deleteKey(file, u"QuorlinFuzz", u"k"));
        fuzz::check(profile.sectionNames(file) == after);
    }
    return 0;
}

// Any bytes as the registry store's text file: reads never crash, a write reads back, leaves
// every value it did not touch as it read before, and writing the same again changes no byte.
#include "FuzzSupport.h"
#include "MemoryFiles.h"

#include "platform/portable/RegistryStore.h"
#include "platform/portable/TextRules.h"

#include <vector>

namespace {

using platform::RegistryRoot;

// Key paths and value names as the file spells them, found without the store's own parser
// so that a value the store drops shows up as one that no longer reads back.
struct Probe {
    std::u16string path;
    std::u16string name;
};

std::u16string Latin1(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

std::vector<Probe> Probes(const std::string& bytes)
{
    std::vector<Probe> out;
    std::u16string path;
    const std::string prefix = "[HKEY_CURRENT_USER\\";
    for (std::size_t pos = 0; pos < bytes.size() && out.size() < 32;) {
        std::size_t stop = bytes.find('\n', pos);
        if (stop == std::string::npos)
            stop = bytes.size();
        std::string line = bytes.substr(pos, stop - pos);
        pos = stop + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(prefix, 0) == 0 && line.back() == ']') {
            path = Latin1(line.substr(prefix.size(), line.size() - prefix.size() - 1));
        } else if (line.rfind("@=", 0) == 0) {
            out.push_back({path, u""});
        } else if (line.size() > 2 && line[0] == '"') {
            const std::size_t close = line.find('"', 1);
            if (close != std::string::npos)
                out.push_back({path, Latin1(line.substr(1, close - 1))});
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The files stay in memory; the store makes only its folder, the first time it writes.
    static const std::filesystem::path dir = fuzz::scratchPath("registry");
    const std::filesystem::path file = dir / "HKEY_CURRENT_USER.reg";
    fuzz::MemoryFiles files;
    files.set(file, data, size);
    platform::RegistryStore store(dir.u16string(), true, files);

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<Probe> probes = Probes(bytes);
    std::vector<std::optional<platform::RegistryValue>> before;
    for (const Probe& p : probes) {
        store.openKey(RegistryRoot::CurrentUser, p.path, false);
        before.push_back(store.readValue(RegistryRoot::CurrentUser, p.path, p.name));
    }

    const std::u16string path = u"Software\\QuorlinFuzz";
    if (!store.writeNumber(RegistryRoot::CurrentUser, path, u"n", 7))
        return 0;
    fuzz::check(store.readValue(RegistryRoot::CurrentUser, path, u"n") ==
                platform::RegistryValue(std::uint32_t(7)));
    for (std::size_t i = 0; i < probes.size(); ++i) {
        // Any spelling of the value just written may have changed with it.
        if (platform::text::equalNoCase(probes[i].name, u"n"))
            continue;
        fuzz::check(store.readValue(RegistryRoot::CurrentUser, probes[i].path, probes[i].name) ==
                    before[i]);
    }
    const std::string once = files.get(file);
    fuzz::check(store.writeNumber(RegistryRoot::CurrentUser, path, u"n", 7));
    fuzz::check(files.get(file) == once);
    return 0;
}

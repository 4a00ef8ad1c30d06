// Any bytes as the settings file, read through every typed read: no crash, and whatever a
// read accepts comes back unchanged when written and read again. The values go back through
// a small file of their own: written into the input, each read back would parse the whole
// input again, and the writes into any profile text are the profile reader target's job.
#include "FuzzSupport.h"

#include "MemoryFiles.h"
#include "platform/linux/QtAnsiCodePage.h"
#include "platform/portable/ProfileEngine.h"
#include "scheduler/TimeText.h"
#include "settings/SettingsFile.h"

namespace {

void RoundTrips(SettingsFile& settings, const QString& value)
{
    static const QString section = QStringLiteral("QuorlinFuzz");
    if (const auto n = SettingsFile::ParseInteger(value)) {
        settings.WriteInteger(section, QStringLiteral("n"), *n);
        fuzz::check(settings.ReadInteger(section, QStringLiteral("n"), *n ^ 1) == *n);
    }
    if (const auto date = ParseDate(value)) {
        fuzz::check(date->isValid());
        settings.WriteDate(section, QStringLiteral("d"), *date);
        fuzz::check(settings.ReadDate(section, QStringLiteral("d"), QDate()) == *date);
    }
    if (const auto time = ParseTime(value)) {
        fuzz::check(time->isValid());
        fuzz::check(ParseTime(TimeText(*time)) == time);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const platform::QtAnsiCodePage ansi;
    static const std::u16string file = fuzz::MemoryFiles::Path(u"settings.ini");
    static const QString values = QString::fromStdU16String(fuzz::MemoryFiles::Path(u"values.ini"));
    fuzz::MemoryFiles files;
    files.set(file, data, size);
    platform::ProfileEngine profile(ansi, files);
    SettingsFile settings(profile, QString::fromStdU16String(file));

    // Each read looks the file over again: a bounded number of sections and keys keeps long
    // inputs fast.
    std::vector<std::pair<QString, QString>> seen;
    for (const auto& rawSection : profile.sectionNames(file)) {
        if (seen.size() >= 12)
            break;
        const QString section = QString::fromStdU16String(rawSection);
        for (const auto& [rawKey, rawValue] : profile.sectionEntries(file, rawSection)) {
            if (seen.size() >= 12)
                break;
            const QString key = QString::fromStdU16String(rawKey);
            const QString text = settings.ReadString(section, key, QString());
            fuzz::check(text.size() <= 2047);
            settings.ReadInteger(section, key, 0);
            settings.ReadBool(section, key, false);
            settings.ReadDate(section, key, QDate(2000, 1, 1));
            settings.ReadTime(section, key, QTime(0, 0));
            seen.emplace_back(section, text);
        }
    }
    SettingsFile written(profile, values);
    for (std::size_t i = 0; i < seen.size() && i < 4; ++i)
        RoundTrips(written, seen[i].second);
    return 0;
}

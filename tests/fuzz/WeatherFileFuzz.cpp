// Any bytes as the weather strip's "Weather" file, read by the strip itself as it is made:
// no crash, the page it would load is always an absolute address, and switching the strip
// off or on reads back as switched while every section of the file stays.
#include "FuzzSupport.h"

#include "MemoryFiles.h"
#include "platform/linux/QtAnsiCodePage.h"
#include "platform/portable/ProfileEngine.h"
#include "weather/WeatherForm.h"

#include <QApplication>

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const platform::QtAnsiCodePage ansi;
    static const std::u16string file = fuzz::MemoryFiles::Path(u"Weather");
    fuzz::MemoryFiles files;
    files.set(file, data, size);
    platform::ProfileEngine profile(ansi, files);
    const auto sections = profile.sectionNames(file);

    // No view factory: the strip is never shown, so no browser is made.
    TWeatherForm form(profile, QString::fromStdU16String(file), WeatherViewFactory());
    fuzz::check(form.PageAddress().isValid() && !form.PageAddress().isRelative());
    const bool on = form.ReadWeatherMode();
    try {
        form.WriteWeatherMode(!on);
    } catch (const SettingsWriteError&) {
        return 0; // refused, and said so: no crash
    }
    fuzz::check(form.ReadWeatherMode() == !on);
    const auto after = profile.sectionNames(file);
    fuzz::check(after.size() >= sections.size() &&
                std::equal(sections.begin(), sections.end(), after.begin()));
    return 0;
}

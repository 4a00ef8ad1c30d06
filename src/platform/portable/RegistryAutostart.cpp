#include "RegistryAutostart.h"

#include <stdexcept>

namespace platform {

namespace {
constexpr char16_t runKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t valueName[] = u"Quorlin";
} // namespace

void RegistryAutostart::write(const std::u16string& executable)
{
    if (!registry_.writeString(RegistryRoot::CurrentUser, runKey, valueName,
                               u"\"" + executable + u"\" -Min"))
        throw std::runtime_error(
            "Unable to write the value Quorlin of HKEY_CURRENT_USER\\Software\\Microsoft\\Windows"
            "\\CurrentVersion\\Run");
}

void RegistryAutostart::remove()
{
    if (registry_.readValue(RegistryRoot::CurrentUser, runKey, valueName) &&
        !registry_.deleteValue(RegistryRoot::CurrentUser, runKey, valueName))
        throw std::runtime_error(
            "Unable to delete the value Quorlin of HKEY_CURRENT_USER\\Software\\Microsoft\\Windows"
            "\\CurrentVersion\\Run");
}

std::optional<std::u16string> RegistryAutostart::read()
{
    const auto value = registry_.readValue(RegistryRoot::CurrentUser, runKey, valueName);
    if (const auto* text = value ? std::get_if<std::u16string>(&*value) : nullptr)
        return *text;
    return std::nullopt;
}

} // namespace platform

#include "WinRegistry.h"

#include <windows.h>

namespace platform {

namespace {

const wchar_t* w(const std::u16string& s)
{
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

HKEY rootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
        return HKEY_USERS;
    case RegistryRoot::CurrentConfig:
        return HKEY_CURRENT_CONFIG;
    case RegistryRoot::CurrentUser:
        break;
    }
    return HKEY_CURRENT_USER;
}

class Key {
public:
    Key(RegistryRoot root, const std::u16string& path, REGSAM access, bool create)
    {
        ok_ = (create ? RegCreateKeyExW(rootKey(root), w(path), 0, nullptr, 0, access, nullptr,
                                        &key_, nullptr)
                      : RegOpenKeyExW(rootKey(root), w(path), 0, access, &key_)) == ERROR_SUCCESS;
    }
    ~Key()
    {
        if (ok_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return ok_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
    bool ok_ = false;
};

bool setValue(RegistryRoot root, const std::u16string& path, const std::u16string& name, DWORD type,
              const void* data, std::size_t bytes)
{
    Key key(root, path, KEY_SET_VALUE, true);
    return key && RegSetValueExW(key.get(), w(name), 0, type, static_cast<const BYTE*>(data),
                                 DWORD(bytes)) == ERROR_SUCCESS;
}

} // namespace

bool WinRegistry::openKey(RegistryRoot root, const std::u16string& path, bool create)
{
    return bool(Key(root, path, KEY_READ, create));
}

bool WinRegistry::writeString(RegistryRoot root, const std::u16string& path,
                              const std::u16string& name, const std::u16string& data)
{
    return setValue(root, path, name, REG_SZ, data.c_str(), (data.size() + 1) * sizeof(char16_t));
}

bool WinRegistry::writeNumber(RegistryRoot root, const std::u16string& path,
                              const std::u16string& name, std::uint32_t data)
{
    const DWORD value = data;
    return setValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool WinRegistry::writeBinary(RegistryRoot root, const std::u16string& path,
                              const std::u16string& name, const std::vector<std::uint8_t>& data)
{
    return setValue(root, path, name, REG_BINARY, data.data(), data.size());
}

bool WinRegistry::deleteValue(RegistryRoot root, const std::u16string& path,
                              const std::u16string& name)
{
    Key key(root, path, KEY_SET_VALUE, false);
    return key && RegDeleteValueW(key.get(), w(name)) == ERROR_SUCCESS;
}

bool WinRegistry::deleteKeyTree(RegistryRoot root, const std::u16string& path)
{
    return !path.empty() && RegDeleteTreeW(rootKey(root), w(path)) == ERROR_SUCCESS;
}

std::optional<RawRegistryValue> WinRegistry::readRaw(RegistryRoot root, const std::u16string& path,
                                                     const std::u16string& name)
{
    Key key(root, path, KEY_QUERY_VALUE, false);
    if (!key)
        return std::nullopt;
    RawRegistryValue raw;
    raw.data.resize(256);
    for (;;) {
        DWORD type = 0;
        DWORD size = DWORD(raw.data.size());
        const LONG r = RegQueryValueExW(key.get(), w(name), nullptr, &type, raw.data.data(), &size);
        if (r == ERROR_MORE_DATA) {
            raw.data.resize(size);
            continue;
        }
        if (r != ERROR_SUCCESS)
            return std::nullopt;
        raw.type = type;
        raw.data.resize(size);
        return raw;
    }
}

std::optional<RegistryValue> WinRegistry::readValue(RegistryRoot root, const std::u16string& path,
                                                    const std::u16string& name)
{
    const auto raw = readRaw(root, path, name);
    if (!raw)
        return std::nullopt;
    const DWORD type = raw->type;
    const std::vector<std::uint8_t>& data = raw->data;
    if (type == REG_DWORD && data.size() == 4)
        return std::uint32_t(data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::u16string text(data.size() / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
        // Stored with its terminator, or without when another program wrote it so.
        while (!text.empty() && text.back() == u'\0')
            text.pop_back();
        return text;
    }
    return data;
}

} // namespace platform

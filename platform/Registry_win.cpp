#include "platform/Registry_win.h"

#include <windows.h>

#include "platform/Handles_win.h"

namespace qor {

namespace {

HKEY RootHandle(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// RegOpenKeyA with an empty sub-key hands back the root itself; closing a predefined key is harmless.
win::RegKey OpenKey(uint32_t root, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyA(RootHandle(root), subKey.empty() ? nullptr : subKey.c_str(), &key) != ERROR_SUCCESS)
        return win::RegKey{};
    return win::RegKey{key};
}

} // namespace

std::optional<RegValue> Win32Registry::Query(uint32_t root, const std::string& subKey,
                                             const std::string& name, std::size_t maxBytes) {
    win::RegKey key = OpenKey(root, subKey);
    if (!key)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (size > maxBytes)
        return std::nullopt;
    RegValue value;
    value.type = type;
    value.data.resize(size);
    if (size > 0 &&
        RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    value.type = type;
    return value;
}

std::optional<long> Win32Registry::Set(uint32_t root, const std::string& subKey, const std::string& name,
                                       uint32_t type, const Bytes& data) {
    HKEY raw = nullptr;
    if (RegCreateKeyA(RootHandle(root), subKey.empty() ? nullptr : subKey.c_str(), &raw) != ERROR_SUCCESS)
        return std::nullopt;
    win::RegKey key{raw};
    return static_cast<long>(RegSetValueExA(key.get(), name.c_str(), 0, type,
                                            data.empty() ? nullptr : data.data(),
                                            static_cast<DWORD>(data.size())));
}

std::optional<long> Win32Registry::Delete(uint32_t root, const std::string& subKey, const std::string& name) {
    win::RegKey key = OpenKey(root, subKey);
    if (!key)
        return std::nullopt;
    return static_cast<long>(RegDeleteValueA(key.get(), name.c_str()));
}

} // namespace qor

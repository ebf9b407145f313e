// The raw registry, addressed by a root handle value and a sub-key. The path rules and the
// program's own registry uses are built on it in core/Registry.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace qor {

namespace reg {
constexpr uint32_t ClassesRoot = 0x80000000u;
constexpr uint32_t CurrentUser = 0x80000001u;
constexpr uint32_t LocalMachine = 0x80000002u;
constexpr uint32_t Users = 0x80000003u;
constexpr uint32_t PerformanceData = 0x80000004u;
constexpr uint32_t CurrentConfig = 0x80000005u;
constexpr uint32_t DynData = 0x80000006u;

constexpr uint32_t Sz = 1;
constexpr uint32_t ExpandSz = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Dword = 4;
constexpr uint32_t MultiSz = 7;
} // namespace reg

struct RegValue {
    uint32_t type = 0;
    Bytes data;
};

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // RegOpenKeyA + RegQueryValueExA: nothing when the key or the value is missing or the value
    // is longer than maxBytes.
    virtual std::optional<RegValue> Query(uint32_t root, const std::string& subKey, const std::string& name,
                                          std::size_t maxBytes) = 0;
    // RegCreateKeyA + RegSetValueExA: nothing when the key cannot be created or opened,
    // otherwise the status of RegSetValueExA (0 on success).
    virtual std::optional<long> Set(uint32_t root, const std::string& subKey, const std::string& name,
                                    uint32_t type, const Bytes& data) = 0;
    // RegOpenKeyA + RegDeleteValueA: nothing when the key cannot be opened, otherwise the status.
    virtual std::optional<long> Delete(uint32_t root, const std::string& subKey, const std::string& name) = 0;
};

} // namespace qor

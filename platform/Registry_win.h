// The registry seam on the Win32 registry (ANSI functions).
#pragma once

#include "platform/Registry.h"

namespace qor {

class Win32Registry final : public IRegistry {
public:
    std::optional<RegValue> Query(uint32_t root, const std::string& subKey, const std::string& name,
                                  std::size_t maxBytes) override;
    std::optional<long> Set(uint32_t root, const std::string& subKey, const std::string& name, uint32_t type,
                            const Bytes& data) override;
    std::optional<long> Delete(uint32_t root, const std::string& subKey, const std::string& name) override;
};

} // namespace qor

// Version blocks of other programs read without the system's help: every key's search must
// stay inside the block.
#include <cstddef>
#include <cstdint>

#include "icons/IconParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const qor::ByteView block(data, size);
    for (std::string_view key : qor::kVersionKeys) {
        const std::u16string value = qor::FindVersionStringRaw(block, key);
        if (value.size() > size / 2)
            __builtin_trap();
    }
    return 0;
}

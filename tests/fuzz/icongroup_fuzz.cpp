// Icon group resources from other programs: the entry choice and the image check must stay
// inside the bytes and keep their promises whatever the bytes are.
#include <cstddef>
#include <cstdint>

#include "icons/IconParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const qor::ByteView bytes(data, size);
    const auto entries = qor::ParseIconGroup(bytes);
    if (size < qor::kMinIconGroupSize ? !entries.empty() : entries.size() != (size - 6) / 14)
        __builtin_trap();
    if (const auto chosen = qor::ChooseIconGroupEntry(bytes)) {
        if (chosen->bitCount < 1 || chosen->bitCount > 32 || chosen->Width() < 1 || chosen->Width() > 256)
            __builtin_trap();
    }
    // The same bytes taken as one icon image: a usable copy is never shorter than the input.
    const qor::Bytes safe = qor::SafeIconImage(bytes);
    if (!safe.empty() && safe.size() < size)
        __builtin_trap();
    return 0;
}

// ".ico" files from outside: the conversion plan must name bytes inside the file, and the image
// it names must come out of the safety check either refused or whole.
#include <cstddef>
#include <cstdint>

#include "icons/IconParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const qor::ByteView file(data, size);
    if (qor::ParseIconFileDirectory(file).size() > (size < 6 ? 0 : (size - 6) / 16))
        __builtin_trap();
    const qor::IconFilePlan plan = qor::PlanIconFileConversion(file);
    switch (plan.outcome) {
    case qor::IconFileOutcome::None:
        return 0;
    case qor::IconFileOutcome::ImageFile:
        return 0;
    case qor::IconFileOutcome::Png:
    case qor::IconFileOutcome::Bitmap:
        break;
    }
    if (plan.size == 0 || plan.offset > size || plan.size > size - plan.offset)
        __builtin_trap();
    if (plan.width < 1 || plan.height < 1)
        __builtin_trap();
    const qor::Bytes safe = qor::SafeIconImage(file.subspan(plan.offset, plan.size));
    if (!safe.empty() && safe.size() < plan.size)
        __builtin_trap();
    return 0;
}

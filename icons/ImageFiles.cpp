#include "icons/ImageFiles.h"

#include <algorithm>

namespace qor {

bool IsPngSignature(std::span<const uint8_t> bytes) {
    return bytes.size() >= kPngSignature.size() &&
           std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin());
}

namespace {
// The codecs GDI+ ships, in the order the program numbers them.
constexpr const char* kEncoderClsids[] = {
    "{557CF400-1A04-11D3-9A73-0000F81EF32E}", // BMP
    "{557CF403-1A04-11D3-9A73-0000F81EF32E}", // EMF
    "{557CF404-1A04-11D3-9A73-0000F81EF32E}", // WMF
    "{557CF401-1A04-11D3-9A73-0000F81EF32E}", // JPEG
    "{557CF406-1A04-11D3-9A73-0000F81EF32E}", // PNG
    "{557CF402-1A04-11D3-9A73-0000F81EF32E}", // GIF
    "{557CF405-1A04-11D3-9A73-0000F81EF32E}", // TIFF
    "{557CF407-1A04-11D3-9A73-0000F81EF32E}", // ICO
};
constexpr const char* kNullClsid = "{00000000-0000-0000-0000-000000000000}";
} // namespace

std::string EncoderClsid(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kEncoderClsids)))
        return kNullClsid;
    return kEncoderClsids[index];
}

} // namespace qor

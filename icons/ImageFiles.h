// The portable side of the image services: recognising PNG data and the GDI+ image codec
// identifiers. The GDI+ loading and saving live in icons/ImageFiles_win.h.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace qor {

// The 8 bytes every PNG stream starts with.
inline constexpr std::array<uint8_t, 8> kPngSignature{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// True only when the data holds at least 8 bytes and its first 8 are the PNG signature.
bool IsPngSignature(std::span<const uint8_t> bytes);

// GDI+ image codec class identifiers by index, in the registry text form.
namespace encoder {
constexpr int Bmp = 0;
constexpr int Emf = 1;
constexpr int Wmf = 2;
constexpr int Jpeg = 3;
constexpr int Png = 4;
constexpr int Gif = 5;
constexpr int Tiff = 6;
constexpr int Ico = 7;
} // namespace encoder

// The codec identifier of `index` as "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; any other index
// gives the all-zero identifier.
std::string EncoderClsid(int index);

} // namespace qor

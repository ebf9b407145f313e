// The skin: the pictures stored among the program's resources (type "CUSTOM", by name), the
// renderings the dock and the pop-up draw of each, and the constant alpha tables of the fades.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace qor {

constexpr int kSkinBound = 32; // SkinCache 0..32

// Skin element numbers (index into SkinCache).
namespace skin {
constexpr int Logo = 0;
constexpr int MenuSelect = 1;
constexpr int MenuMouseDown = 2;
constexpr int MenuUpUnselect = 3;
constexpr int MenuUpSelect = 4;
constexpr int MenuDownUnselect = 5;
constexpr int MenuDownSelect = 6;
constexpr int MenuSpace = 7;
constexpr int MenuBody = 8;
constexpr int MenuTop = 9;
constexpr int MenuBottom = 10;
constexpr int Border = 12;
constexpr int NoDrop = 16;
constexpr int AddIcon = 17;
constexpr int ReplaceIcon = 18;
constexpr int DelIcon = 19;
constexpr int BackSelectColor = 20;
} // namespace skin

// Which renderings of an element the skin load builds.
enum class SkinRendering {
    None,          // decoded only when needed (the logo stands in for a missing centre picture)
    Level0,        // kept as an image at its own size, drawn scaled
    Level1Fixed,   // one cached bitmap at level 1 of the given size
    AllSizeLevels, // kept at level 0 and cached at levels 1..4 at SizeLevels (the ring backdrop)
};

struct SkinElement {
    int number;
    const char* name; // resource name, type "CUSTOM"
    int width;        // source picture size
    int height;
    SkinRendering rendering;
    int cachedWidth; // level-1 size for Level1Fixed
    int cachedHeight;
};

// The logo followed by the elements in the order the skin load reads them.
std::span<const SkinElement> SkinElements();

// Every skin picture ships drawn at 100 %, 150 % and 200 % of its size. The one for a screen is
// the nearest to the screen's scale (the larger of two equally near: scaling down stays crisp).
constexpr std::array<int, 3> kSkinScales{100, 150, 200};
int SkinScaleFor(int dpi);
// The resource name of an element's picture at a scale: "BORDER", "BORDER_150", "BORDER_200".
std::string SkinResourceName(const char* name, int scalePercent);

// Frames of the delete animation: a strip of five 128-pixel squares in "DELICON".
constexpr int kDelIconFrames = 5;
constexpr int kDelIconFrameSide = 128;

// Window alphas of the fade-out, entry k = round(k * 7.96875) with ties to even (0, 8, .. 255).
constexpr int kAlphaRampSteps = 32;
extern const std::array<uint8_t, kAlphaRampSteps + 1> AlphaRamp;

// Alpha factor of FadeAttributes(k), k = 0..9: 1 - 0.1 * (k + 1) (0.9 down to 0.0).
constexpr int kFadeLevels = 10;
float FadeAlpha(int k);

} // namespace qor

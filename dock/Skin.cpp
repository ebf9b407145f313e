#include "dock/Skin.h"

#include <cstdlib>

namespace qor {

namespace {

using R = SkinRendering;

constexpr SkinElement kElements[] = {
    {skin::Logo, "LOGO", 128, 128, R::None, 0, 0},
    {skin::MenuSelect, "MENUSELECT", 248, 38, R::Level1Fixed, 248, 38},
    {skin::MenuMouseDown, "MENUMOUSEDOWN", 248, 38, R::Level1Fixed, 248, 38},
    {skin::MenuUpUnselect, "MENUUPUNSELECT", 248, 25, R::Level1Fixed, 248, 25},
    {skin::MenuUpSelect, "MENUUPSELECT", 248, 25, R::Level1Fixed, 248, 25},
    {skin::MenuDownUnselect, "MENUDOWNUNSELECT", 248, 25, R::Level1Fixed, 248, 25},
    {skin::MenuDownSelect, "MENUDOWNSELECT", 248, 25, R::Level1Fixed, 248, 25},
    {skin::MenuSpace, "MENUSPACE", 248, 5, R::Level1Fixed, 248, 5},
    {skin::MenuBody, "MENUBODY", 268, 656, R::Level0, 0, 0},
    {skin::MenuTop, "MENUTOP", 268, 12, R::Level1Fixed, 268, 12},
    {skin::MenuBottom, "MENUBOTTOM", 268, 12, R::Level1Fixed, 268, 12},
    {skin::Border, "BORDER", 152, 152, R::Level0, 0, 0},
    {skin::NoDrop, "NODROP", 64, 64, R::Level1Fixed, 48, 48},
    {skin::AddIcon, "ADDICON", 110, 110, R::Level1Fixed, 48, 48},
    {skin::ReplaceIcon, "REPLACEICON", 64, 64, R::Level1Fixed, 48, 48},
    {skin::DelIcon, "DELICON", kDelIconFrames* kDelIconFrameSide, kDelIconFrameSide, R::Level0, 0, 0},
    {skin::BackSelectColor, "BACKSELECTCOLOR", 128, 128, R::AllSizeLevels, 0, 0},
};

// round(k * 255 / 32) with ties to even, in integers: k * 255 / 32 has the remainder 16 (a tie)
// only for k = 16.
constexpr uint8_t RampEntry(int k) {
    const int scaled = k * 255;
    int q = scaled / 32;
    const int r = scaled % 32;
    if (r > 16 || (r == 16 && (q % 2) == 1))
        ++q;
    return static_cast<uint8_t>(q);
}

constexpr std::array<uint8_t, kAlphaRampSteps + 1> MakeRamp() {
    std::array<uint8_t, kAlphaRampSteps + 1> ramp{};
    for (int k = 0; k <= kAlphaRampSteps; ++k)
        ramp[k] = RampEntry(k);
    return ramp;
}

} // namespace

const std::array<uint8_t, kAlphaRampSteps + 1> AlphaRamp = MakeRamp();

std::span<const SkinElement> SkinElements() {
    return kElements;
}

int SkinScaleFor(int dpi) {
    // Distances in hundredths of a percent, in integers: the scale is dpi / 96.
    int best = kSkinScales[0];
    for (const int scale : kSkinScales) {
        const int distance = std::abs(dpi * 100 - scale * 96);
        const int bestDistance = std::abs(dpi * 100 - best * 96);
        if (distance <= bestDistance)
            best = scale;
    }
    return best;
}

std::string SkinResourceName(const char* name, int scalePercent) {
    std::string resource = name;
    if (scalePercent != kSkinScales[0])
        resource += "_" + std::to_string(scalePercent);
    return resource;
}

float FadeAlpha(int k) {
    if (k < 0 || k >= kFadeLevels)
        return 1.0f;
    return static_cast<float>(1.0 - 0.1 * (k + 1));
}

} // namespace qor

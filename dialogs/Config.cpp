#include "dialogs/Config.h"

#include <algorithm>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "core/Registry.h"
#include "dock/Paint.h"

namespace qor {

const std::array<const char*, 8> kIconCountEntries{"8 icons",  "12 icons", "16 icons", "20 icons",
                                                   "24 icons", "28 icons", "32 icons", "36 icons"};
const std::array<const char*, 9> kMinimizedEntries{
    "Center", "Top", "Bottom", "Left", "Right", "Top-Left", "Top-Right", "Bottom-Left", "Bottom-Right"};

namespace {

constexpr int kAlpha = 3; // BackColor is blue, green, red, alpha

std::size_t Index(ConfigCheck check) {
    return static_cast<std::size_t>(check);
}

std::size_t Index(ConfigSlider slider) {
    return static_cast<std::size_t>(slider);
}

const char* Name(ConfigCheck check) {
    switch (check) {
    case ConfigCheck::AutoRun:
        return "ChkAutoRun";
    case ConfigCheck::AutoHide:
        return "ChkAutoHide";
    case ConfigCheck::DisplayLetter:
        return "ChkDisplayLetter";
    case ConfigCheck::ClearType:
        return "ChkClearType";
    }
    return "?";
}

} // namespace

std::string NormalSizeLabel(int size) {
    return "Normal Icon Size:  " + std::to_string(size) + "  Pixels";
}

std::string MagnifiedSizeLabel(int size) {
    return "Magnified Icon Size:  " + std::to_string(size) + "  Pixels";
}

std::string DiameterLabel(int radius) {
    return "Circle Diameter:  " + std::to_string(2 * radius) + "  Pixels";
}

std::string QuantityLabel(int iconCount) {
    return "Icon Quantity:  " + std::to_string(iconCount) + "  Icons";
}

std::string MinimizedPositionLabel(int position) {
    const bool known = position >= 0 && position < static_cast<int>(kMinimizedEntries.size());
    return std::string("Current Minimized Position: ") +
           (known ? kMinimizedEntries[static_cast<std::size_t>(position)] : "");
}

std::string OpacityLabel(int alpha) {
    return "Opacity:  " + std::to_string(alpha);
}

ConfigView ConfigController::View() const {
    const RunSettings& run = m_app.run;
    const DockSettings& cfg = m_app.cfg;
    ConfigView v;
    v.normal = run.IconSize;
    v.magnified = run.MagnifiedSize;
    v.radius = run.Radius;
    // On a screen too small for the smallest radius the slider still has a range: the one
    // radius that fits.
    v.radiusMax = m_app.screen.MaxRadius;
    v.radiusMin = std::min(m_app.screen.MinRadius, v.radiusMax);
    v.iconCountIndex = (run.IconCount - 8) / 4;
    v.minimizedPosition = cfg.MinimizedPosition;
    v.trans = run.BackColor[kAlpha];
    v.autoRun = cfg.AutoRun == kTrue;
    v.autoHide = cfg.AutoHide != 0;
    v.displayLetter = cfg.DisplayLetter != 0;
    v.clearType = cfg.ClearType != 0;
    return v;
}

ConfigView ConfigController::IniConfigData() {
    const ConfigView v = View();
    OnList(ConfigList::IconCount, v.iconCountIndex);
    OnList(ConfigList::MinimizedPosition, v.minimizedPosition);
    const std::pair<ConfigCheck, bool> checks[] = {
        {ConfigCheck::ClearType, v.clearType},
        {ConfigCheck::AutoRun, v.autoRun},
        {ConfigCheck::AutoHide, v.autoHide},
        {ConfigCheck::DisplayLetter, v.displayLetter},
    };
    for (const auto& [check, ticked] : checks)
        if (m_shownChecks[Index(check)] != ticked)
            OnCheck(check, ticked);
    return View();
}

void ConfigController::OnCheck(ConfigCheck check, bool ticked) {
    m_shownChecks[Index(check)] = ticked;
    DockSettings& cfg = m_app.cfg;
    const uint8_t value = ticked ? 1 : 0;
    switch (check) {
    case ConfigCheck::AutoRun:
        cfg.AutoRun = m_host.SetAutoRun(ticked) == 1 ? kTrue : kFalse;
        break;
    case ConfigCheck::AutoHide:
        cfg.AutoHide = value;
        break;
    case ConfigCheck::DisplayLetter:
        cfg.DisplayLetter = value;
        break;
    case ConfigCheck::ClearType:
        // The group pop-up reads it whenever it draws its rows.
        cfg.ClearType = value;
        break;
    }
    Trace(std::string("settings ") + Name(check) + "=" + (ticked ? "1" : "0"));
}

void ConfigController::OnList(ConfigList list, int index) {
    if (list == ConfigList::IconCount) {
        if (index < 0 || index >= static_cast<int>(kIconCountEntries.size()))
            return;
        m_app.run.IconCount = 8 + 4 * index;
        Trace("settings IconCount=" + std::to_string(m_app.run.IconCount));
        m_host.RecomputeSlots(0);
        return;
    }
    if (index < 0 || index >= static_cast<int>(kMinimizedEntries.size()))
        return;
    m_app.cfg.MinimizedPosition = static_cast<uint8_t>(index);
    Trace("settings MinimizedPosition=" + std::to_string(index));
    m_host.SetMinimizedPosition(index);
}

void ConfigController::OnSlider(ConfigSlider slider, bool ending, int value) {
    bool& held = m_held[Index(slider)];
    if (ending) {
        if (held) {
            held = false;
            Released(slider);
        }
        return;
    }
    if (!held) {
        held = true;
        Pressed(slider);
    }
    Moved(slider, value);
}

void ConfigController::Pressed(ConfigSlider slider) {
    if (slider == ConfigSlider::Normal) {
        m_magnifiedAtPress = m_app.run.MagnifiedSize;
    } else if (slider == ConfigSlider::Trans) {
        // The dock shows its keyboard-mode backdrop while the opacity is being chosen.
        m_app.dock.KeyboardMode = true;
    }
}

void ConfigController::Moved(ConfigSlider slider, int value) {
    RunSettings& run = m_app.run;
    switch (slider) {
    case ConfigSlider::Normal:
        run.IconSize = std::clamp(value, kSizeRange.min, kSizeRange.max);
        // The magnified size never falls below the rest size, nor below what it was when the
        // slider was pressed.
        run.MagnifiedSize = std::max(m_magnifiedAtPress, run.IconSize);
        m_host.RecomputeSlots(1);
        break;
    case ConfigSlider::Magnified:
        run.MagnifiedSize = std::clamp(value, kSizeRange.min, kSizeRange.max);
        break;
    case ConfigSlider::Radius: {
        const ConfigView v = View();
        run.Radius = std::clamp(value, v.radiusMin, v.radiusMax);
        m_host.RecomputeSlots(0);
        break;
    }
    case ConfigSlider::Trans:
        run.BackColor[kAlpha] = static_cast<uint8_t>(std::clamp(value, kTransRange.min, kTransRange.max));
        run.BackColorArgb = ColourToArgb(run.BackColor);
        m_host.RepaintDock();
        break;
    }
}

void ConfigController::Released(ConfigSlider slider) {
    RunSettings& run = m_app.run;
    switch (slider) {
    case ConfigSlider::Normal:
        m_host.RebuildSizeLevel(1);
        if (m_magnifiedAtPress < run.IconSize) // the magnified size was pushed up
            m_host.RecomputeSlots(2);
        // The preview drew the pictures without their backdrops: the ring at rest again.
        m_host.RepaintDock();
        Trace("settings IconSize=" + std::to_string(run.IconSize) +
              " MagnifiedSize=" + std::to_string(run.MagnifiedSize));
        break;
    case ConfigSlider::Magnified:
        m_host.RecomputeSlots(2);
        Trace("settings MagnifiedSize=" + std::to_string(run.MagnifiedSize));
        break;
    case ConfigSlider::Radius:
        Trace("settings Radius=" + std::to_string(run.Radius));
        break;
    case ConfigSlider::Trans:
        m_app.dock.KeyboardMode = false;
        // Without this the dimmed backdrop would stay until something else repaints the ring.
        m_host.RepaintDock();
        Trace("settings Opacity=" + std::to_string(run.BackColor[kAlpha]));
        break;
    }
}

void ConfigController::RunCommand(ConfigCommand command, const ReloadHooks& hooks) {
    Trace("settings command=" + std::to_string(static_cast<int>(command)));
    switch (command) {
    case ConfigCommand::BackupConfiguration:
        BackupConfiguration(m_app, hooks);
        break;
    case ConfigCommand::BackupShortcutsAndIcons:
        BackupShortcutsAndIcons(m_app, hooks);
        break;
    case ConfigCommand::RestoreConfiguration:
        RestoreConfiguration(m_app, hooks);
        break;
    case ConfigCommand::RestoreShortcutsAndIcons:
        RestoreShortcutsAndIcons(m_app, hooks);
        break;
    case ConfigCommand::ResetProgramSettings:
        ResetProgramSettings(m_app, hooks);
        break;
    case ConfigCommand::ResetShortcutsAndIcons:
        ResetShortcutsAndIcons(m_app, hooks);
        break;
    }
}

bool ConfigController::Close() {
    for (ConfigSlider slider :
         {ConfigSlider::Normal, ConfigSlider::Magnified, ConfigSlider::Radius, ConfigSlider::Trans})
        OnSlider(slider, true, 0);
    const bool saved = SaveSettings(m_app);
    Trace(std::string("save file=settings reason=settings-window ok=") + (saved ? "1" : "0"));
    return saved;
}

void ConfigController::Trace(const std::string& text) const {
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line(text);
}

// ---- DockPreview -------------------------------------------------------------------------------

void DockPreview::RecomputeSlots(int mode) {
    ICanvas* canvas = m_canvas ? m_canvas() : nullptr;
    if (canvas) {
        qor::RecomputeSlots(m_app, *canvas, mode, m_rebuild);
        return;
    }
    // No window to paint on: the geometry still follows the settings.
    FillSizeLevels(m_app.geo, m_app.run);
    ComputeSlotTable(m_app.geo, m_app.screen, m_app.run);
}

void DockPreview::SetMinimizedPosition(int position) {
    qor::SetMinimizedPosition(m_app.geo, m_app.screen, m_app.run, position);
    ICanvas* canvas = m_canvas ? m_canvas() : nullptr;
    // A minimized ring moves to its new place at once.
    if (canvas && m_app.dock.State == dockstate::Minimized)
        PaintMinimizedPicture(m_app, *canvas);
}

void DockPreview::RebuildSizeLevel(int level) {
    if (m_rebuild)
        m_rebuild(level);
}

void DockPreview::RepaintDock() {
    if (ICanvas* canvas = m_canvas ? m_canvas() : nullptr)
        DockNormal(m_app, *canvas, false);
}

int DockPreview::SetAutoRun(bool on) {
    return qor::SetAutoRun(m_app, on);
}

} // namespace qor

// The settings window FrmConfig, its portable side: what every control shows, what each change
// does to the running dock (the live preview), the coupling of the two size sliders, closing,
// and the six backup, restore and reset commands. FrmConfig_win only moves values between its
// controls and this controller.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "core/Backup.h"

namespace qor {

struct AppState;
class ICanvas;

// What a change in the settings window asks of the running dock. The program's implementation
// is DockPreview (below); the tests record the calls.
class IConfigHost {
public:
    virtual ~IConfigHost() = default;
    // Size levels and ring positions recomputed, then by mode 0 the resting ring repainted,
    // 1 the rest-size preview painted, 2 the magnified pictures rebuilt without a repaint.
    virtual void RecomputeSlots(int mode) = 0;
    // Where the centre icon waits while the ring is minimized (a minimized ring moves there).
    virtual void SetMinimizedPosition(int position) = 0;
    // The item and backdrop pictures of one size level made again at the level's size.
    virtual void RebuildSizeLevel(int level) = 0;
    // The ring repainted in its current state and presented.
    virtual void RepaintDock() = 0;
    // The start-up entry written (on) or removed; 1 when it names this program afterwards.
    virtual int SetAutoRun(bool on) = 0;
};

// The check boxes, lists and sliders of the window.
enum class ConfigCheck { AutoRun, AutoHide, DisplayLetter, ClearType };
enum class ConfigList { IconCount, MinimizedPosition };
enum class ConfigSlider { Normal, Magnified, Radius, Trans };
// The six maintenance buttons: CmdBackup 0..3, CmdSetting 0..1.
enum class ConfigCommand {
    BackupConfiguration,
    BackupShortcutsAndIcons,
    RestoreConfiguration,
    RestoreShortcutsAndIcons,
    ResetProgramSettings,
    ResetShortcutsAndIcons,
};

// Slider ranges and steps (small step for the arrow keys, large one for a page).
struct SliderRange {
    int min = 0;
    int max = 0;
    int smallStep = 1;
    int largeStep = 1;
};
constexpr SliderRange kSizeRange{16, 128, 1, 8};
constexpr SliderRange kTransRange{0, 255, 1, 8};
constexpr int kRadiusSmallStep = 1;
constexpr int kRadiusLargeStep = 5;

// The entries of the two lists, in list order.
extern const std::array<const char*, 8> kIconCountEntries;
extern const std::array<const char*, 9> kMinimizedEntries;

// Everything the window shows, as IniConfigData puts it into the controls.
struct ConfigView {
    int normal = 0;    // SldNormal: IconSize
    int magnified = 0; // SldMagnified: MagnifiedSize
    int radius = 0;    // SldRadius: Radius
    int radiusMin = 0; // its range: 200 to MaxRadius
    int radiusMax = 0;
    int iconCountIndex = 0;    // CombIconCount: (IconCount - 8) / 4
    int minimizedPosition = 0; // CombMinimizedPosition
    int trans = 0;             // SldTrans: the alpha of BackColor
    bool autoRun = false;
    bool autoHide = false;
    bool displayLetter = false;
    bool clearType = false;

    bool operator==(const ConfigView&) const = default;
};

// The labels beside the controls.
std::string NormalSizeLabel(int size);
std::string MagnifiedSizeLabel(int size);
std::string DiameterLabel(int radius);
std::string QuantityLabel(int iconCount);
std::string MinimizedPositionLabel(int position);
std::string OpacityLabel(int alpha);

class ConfigController {
public:
    ConfigController(AppState& app, IConfigHost& host) : m_app(app), m_host(host) {}
    ConfigController(const ConfigController&) = delete;
    ConfigController& operator=(const ConfigController&) = delete;

    // IniConfigData: the view of the current settings. A check box whose value changes, and
    // every list selection, runs its change handler as a user's change would (so a ticked "Load
    // at system startup" writes the start-up entry); a slider set in code runs nothing.
    ConfigView IniConfigData();
    // The view of the current settings, running nothing.
    ConfigView View() const;

    void OnCheck(ConfigCheck check, bool ticked);
    void OnList(ConfigList list, int index);
    // A slider notification: `ending` for the end of a drag or key press (TB_ENDTRACK), any
    // other for a move to `value`. The first move after an end counts as the press.
    void OnSlider(ConfigSlider slider, bool ending, int value);
    // One of the six commands, with the hourglass and messages of its own; `hooks` reach the
    // windows (the program's reload steps and this window's IniConfigData).
    void RunCommand(ConfigCommand command, const ReloadHooks& hooks);
    // The window closes: a held slider is let go, then the settings are saved. False when the
    // settings file could not be written (its message has been shown).
    bool Close();

private:
    void Pressed(ConfigSlider slider);
    void Moved(ConfigSlider slider, int value);
    void Released(ConfigSlider slider);
    void Trace(const std::string& text) const;

    AppState& m_app;
    IConfigHost& m_host;
    // What the check boxes show, so that IniConfigData knows which of them it changes.
    std::array<bool, 4> m_shownChecks{};
    std::array<bool, 4> m_held{};
    // The magnified size when the normal-size slider was pressed.
    int m_magnifiedAtPress = 0;
};

// The program's IConfigHost: the dock's own paint and geometry code on its canvas.
class DockPreview final : public IConfigHost {
public:
    // `canvas` may return null (no window: nothing is painted); `rebuildSizeLevel` may be empty.
    DockPreview(AppState& app, std::function<ICanvas*()> canvas, std::function<void(int)> rebuildSizeLevel)
        : m_app(app), m_canvas(std::move(canvas)), m_rebuild(std::move(rebuildSizeLevel)) {}

    void RecomputeSlots(int mode) override;
    void SetMinimizedPosition(int position) override;
    void RebuildSizeLevel(int level) override;
    void RepaintDock() override;
    int SetAutoRun(bool on) override;

private:
    AppState& m_app;
    std::function<ICanvas*()> m_canvas;
    std::function<void(int)> m_rebuild;
};

} // namespace qor

// QORCfg.cfg from outside (a damaged file, or a configuration backup the user restores): the
// parser reads exactly one record or nothing, and LoadSettings leaves every run-time value
// inside its range whatever the bytes say.
#include <cstddef>
#include <cstdint>

#include "SeedFiles.h"
#include "core/ConfigFiles.h"
#include "core/ConfigFormat.h"
#include "core/Settings.h"
#include "fakes/Fakes.h"

using namespace qor;

namespace {

test::TestApp& App() {
    static test::TestApp* app = new test::TestApp();
    return *app;
}

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    test::TestApp& t = App();
    t.app.screen = MeasureScreen(t.sys.screen);
    SetDefaultSettings(t.app.cfg, t.app.run, t.app.screen);
    std::vector<fuzz::Seed> seeds;
    seeds.push_back({"defaults.cfg", SerializeSettings(t.app.cfg)});
    DockSettings custom = t.app.cfg;
    custom.IconSize = 32;
    custom.MagnifiedSize = 96;
    custom.Radius = 250;
    custom.IconCountCode = 7;
    custom.BackColor = {0, 0, 0, 80};
    custom.UserIconPath = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons\\User Icon.ico";
    custom.LockDragging = kTrue;
    custom.HideGetStarted = -1;
    custom.AutoHide = 1;
    custom.MinimizedPosition = 8;
    seeds.push_back({"custom.cfg", SerializeSettings(custom)});
    DockSettings wild = custom;
    wild.IconSize = -5;
    wild.MagnifiedSize = 1 << 30;
    wild.IconCountCode = 9;
    wild.WindowLeft = -1;
    wild.WindowTop = 0x7FFFFFFF;
    wild.Spare4 = 99;
    seeds.push_back({"out-of-range.cfg", SerializeSettings(wild)});
    fuzz::WriteSeedsIfAsked(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const ByteSpan input(data, size);
    const auto record = ParseSettings(input);
    Check(record.has_value() == (size >= kSettingsFileSize));
    if (record) // every byte of the record is a field: writing it back gives the same bytes
        Check(SerializeSettings(*record) == Bytes(data, data + kSettingsFileSize));

    test::TestApp& t = App();
    t.fs.files.clear();
    t.reg.keys.clear();
    SetDefaultSettings(t.app.cfg, t.app.run, t.app.screen);
    t.fs.AddFile(t.app.paths.SettingsFile, Bytes(data, data + size));
    const bool loaded = LoadSettings(t.app);
    Check(loaded == record.has_value());

    const RunSettings& run = t.app.run;
    const ScreenMetrics& screen = t.app.screen;
    const DockSettings& cfg = t.app.cfg;
    Check(run.IconSize >= 16 && run.IconSize <= 128);
    Check(run.MagnifiedSize >= run.IconSize && run.MagnifiedSize <= 128);
    Check(run.Radius == run.DefaultRadius ||
          (run.Radius >= screen.MinRadius && run.Radius <= screen.MaxRadius));
    Check(run.IconCount >= 8 && run.IconCount <= 36 && run.IconCount % 4 == 0);
    Check(run.BackColor[0] == 0 && run.BackColor[1] == 0 && run.BackColor[2] == 0);
    Check(cfg.Spare4 >= 0 && cfg.Spare4 <= 8);
    Check(cfg.WindowLeft >= 0 && cfg.WindowLeft <= screen.ScreenWidthTwips - kWindowWidthTwips);
    Check(cfg.WindowTop >= 0 && cfg.WindowTop <= screen.ScreenHeightTwips - kWindowHeightTwips);
    Check(cfg.AutoRun == kTrue || cfg.AutoRun == kFalse);
    return 0;
}

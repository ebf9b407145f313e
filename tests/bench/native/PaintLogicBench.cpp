// Cost of the portable paint decisions alone (no drawing): DockNormal and DockAction with a
// hover change on a 36-position ring at 1920 x 1040, keyboard mode with letters on, against a
// canvas that only counts calls. Prints median and 95th percentile per paint.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "dock/Paint.h"
#include "fakes/Fakes.h"

namespace {

class CountingCanvas final : public qor::ICanvas {
public:
    long calls = 0;
    void Clear(uint32_t) override { ++calls; }
    void FillRect(int, int, int, int, uint32_t, qor::Composite) override { ++calls; }
    void DrawCached(qor::ImageRef, int, int, int) override { ++calls; }
    void DrawScaled(qor::ImageRef, int, int, int, int, int) override { ++calls; }
    void DrawSource(qor::ImageRef, float, float, float, float, float, float, float, float) override {
        ++calls;
    }
    void DrawOutlinedText(const std::string& text, int, int, int) override {
        calls += static_cast<long>(text.size());
    }
    void DrawPanelText(const std::string& text, int, int, int, int, bool, bool) override {
        calls += static_cast<long>(text.size());
    }
    void Keep(int, int, int, int, int, uint64_t) override { ++calls; }
    bool Restore(int, int, int, int, int, uint64_t) override { return false; }
    void Present(uint8_t) override { ++calls; }
};

template <typename F> void Measure(const char* name, int runs, F&& paint) {
    std::vector<double> us;
    us.reserve(runs);
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        paint(r);
        const auto end = std::chrono::steady_clock::now();
        us.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(us.begin(), us.end());
    std::printf("%-28s median %7.2f us   p95 %7.2f us   (%d runs)\n", name, us[us.size() / 2],
                us[us.size() * 95 / 100], runs);
}

} // namespace

int main() {
    using namespace qor;
    test::TestApp t;
    AppState& app = t.app;
    app.screen = MeasureScreen(ScreenInfo{{0, 0, 1920, 1040}, 15, 15});
    SetDefaultSettings(app.cfg, app.run, app.screen);
    app.run.IconCount = 36;
    FillSizeLevels(app.geo, app.run);
    ComputeSlotTable(app.geo, app.screen, app.run);
    app.store.Items[0].Title = "QOR Desktop, the ring launcher";
    for (int i = 0; i <= 36; ++i) {
        app.store.Items[i].IconRef = i;
        app.store.Items[i].Title = "A fairly long item caption " + std::to_string(i);
    }
    IniIconParam(app);
    app.dock.KeyboardMode = true;

    CountingCanvas canvas;
    constexpr int kRuns = 20000;
    Measure("DockNormal (36, letters)", kRuns, [&](int) { DockNormal(app, canvas, false); });
    Measure("DockAction hover change", kRuns, [&](int r) {
        app.dock.HoverSlot = 1 + r % 36;
        DockAction(app, canvas, false);
    });
    app.dock.KeyboardMode = false;
    Measure("DockAction (no letters)", kRuns, [&](int r) {
        app.dock.HoverSlot = 1 + r % 36;
        DockAction(app, canvas, false);
    });
    std::printf("canvas calls counted: %ld\n", canvas.calls);
    return 0;
}

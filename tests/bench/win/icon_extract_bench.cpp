// How long producing one item picture takes: the best image of an icon group of a system library
// written as PNG, the shell's icon of a program, and an ".ico" file converted. Prints the median
// and 95th percentile per picture in milliseconds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "icons/IconExtraction_win.h"
#include "platform/GdiPlus_win.h"

namespace {

struct Figures {
    double median = 0, p95 = 0;
    int done = 0;
};

template <class F> Figures Measure(int runs, F&& once) {
    std::vector<double> ms;
    Figures f;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (once(i))
            ++f.done;
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    f.median = ms[ms.size() / 2];
    f.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    return f;
}

void Print(const char* what, const Figures& f, int runs) {
    std::printf("%-40s median %7.2f ms   p95 %7.2f ms   (%d of %d written)\n", what, f.median, f.p95, f.done,
                runs);
}

} // namespace

int main() {
    qor::gdip::Session session;
    if (session.Start() != 0) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    char temp[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string out = std::string(temp) + "qor-icon-bench.png";
    const std::string sys = std::string(system) + "\\";
    qor::WinIconTools tools;
    constexpr int kRuns = 200;

    Print("shell32.dll icon groups 0..199",
          Measure(kRuns, [&](int i) { return tools.ExtractResourceIcon(sys + "shell32.dll", i, out) == 1; }),
          kRuns);
    Print("notepad.exe first icon group",
          Measure(kRuns, [&](int) { return tools.ExtractResourceIcon(sys + "notepad.exe", 0, out) == 1; }),
          kRuns);
    Print("shell icon of notepad.exe",
          Measure(kRuns, [&](int) { return tools.ExtractShellIcon(sys + "notepad.exe", out); }), kRuns);
    Print("version FileDescription of shell32.dll",
          Measure(kRuns, [&](int) { return !tools.GetVersionString(sys + "shell32.dll", 6).empty(); }),
          kRuns);
    DeleteFileA(out.c_str());
    return 0;
}

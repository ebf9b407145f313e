#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "fakes/Fakes.h"
#include "platform/Trace_win.h"
#include "win/platform/WinTestFolder.h"

namespace qor {
namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(TraceWin, LinesStartWithMillisecondsSinceOpening) {
    test::WinTestFolder dir;
    test::FakeClock clock;
    clock.now = 5000;
    {
        FileTrace trace(dir / "trace.txt", clock);
        ASSERT_TRUE(trace.Enabled());
        trace.Line("phase InitPaths ms=1.500");
        clock.now += 250;
        trace.Line("first-frame ms=250.000");
    }
    const auto lines = ReadLines(dir / "trace.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "0.000 phase InitPaths ms=1.500");
    EXPECT_EQ(lines[1], "250.000 first-frame ms=250.000");
}

TEST(TraceWin, AppendsAcrossRunsAndIsReadableWhileOpen) {
    test::WinTestFolder dir;
    test::FakeClock clock;
    FileTrace first(dir / "trace.txt", clock);
    first.Line("start pid=1");
    // A second process (the second instance) writes to the same file while the first has it open.
    FileTrace second(dir / "trace.txt", clock);
    ASSERT_TRUE(second.Enabled());
    second.Line("second-instance exit");
    first.Line("exit end");
    // Every line is on the disk at once, without closing the file.
    const auto lines = ReadLines(dir / "trace.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "0.000 start pid=1");
    EXPECT_EQ(lines[1], "0.000 second-instance exit");
    EXPECT_EQ(lines[2], "0.000 exit end");
}

TEST(TraceWin, EnvironmentVariableSwitchesItOn) {
    test::WinTestFolder dir;
    test::FakeClock clock;
    SetEnvironmentVariableA("QOR_TRACE", nullptr);
    const auto off = OpenTraceFromEnvironment(clock);
    EXPECT_FALSE(off->Enabled());
    off->Line("nothing happens");

    ASSERT_TRUE(SetEnvironmentVariableA("QOR_TRACE", (dir / "env.txt").c_str()));
    const auto on = OpenTraceFromEnvironment(clock);
    SetEnvironmentVariableA("QOR_TRACE", nullptr);
    EXPECT_TRUE(on->Enabled());
    on->Line("hello");
    EXPECT_EQ(ReadLines(dir / "env.txt"), std::vector<std::string>{"0.000 hello"});
}

TEST(TraceWin, UnwritablePathLeavesTheTraceOff) {
    test::WinTestFolder dir;
    test::FakeClock clock;
    FileTrace trace(dir / "missing folder\\trace.txt", clock);
    EXPECT_FALSE(trace.Enabled());
    trace.Line("dropped"); // no crash, no file
    EXPECT_EQ(GetFileAttributesA((dir / "missing folder").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace qor

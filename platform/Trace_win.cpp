#include "platform/Trace_win.h"

#include <windows.h>

#include <cstdio>

namespace qor {

FileTrace::FileTrace(const std::string& path, IClock& clock) : m_clock(clock), m_start(clock.NowMs()) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA makes every WriteFile an append, so lines of
    // several runs (or of two processes, as when a second instance starts) never overwrite.
    m_file.reset(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
}

double FileTrace::Elapsed() const {
    return m_clock.NowMs() - m_start;
}

void FileTrace::Line(const std::string& text) {
    if (!Enabled())
        return;
    char stamp[32];
    const int n = std::snprintf(stamp, sizeof stamp, "%.3f ", Elapsed());
    std::string line(stamp, n > 0 ? static_cast<std::size_t>(n) : 0);
    line += text;
    line += '\n';
    DWORD written = 0;
    WriteFile(m_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::unique_ptr<ITrace> OpenTraceFromEnvironment(IClock& clock) {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableA("QOR_TRACE", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::make_unique<NullTrace>();
    return std::make_unique<FileTrace>(std::string(path, n), clock);
}

} // namespace qor

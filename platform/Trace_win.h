// The trace file: when the environment variable QOR_TRACE names a file, each event is appended
// to it as one line "<milliseconds since the trace was opened, 3 decimals> <event text>\n",
// written at once so that a process that is killed still leaves every line before it.
// Event texts are words followed by key=value fields, for example
//   "12.345 phase GdiPlus ms=3.210"     "40.000 present window=FrmMain alpha=255 ms=0.800"
#pragma once

#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/Handles_win.h"
#include "platform/Trace.h"

namespace qor {

class FileTrace final : public ITrace {
public:
    // Opens (appending, creating when missing) the file; Enabled() is false when that fails.
    FileTrace(const std::string& path, IClock& clock);
    bool Enabled() const override { return win::IsValid(m_file); }
    void Line(const std::string& text) override;
    // Milliseconds since the trace was opened.
    double Elapsed() const;

private:
    win::Handle m_file;
    IClock& m_clock;
    double m_start = 0.0;
};

// The trace named by QOR_TRACE, or a NullTrace when the variable is unset or empty.
std::unique_ptr<ITrace> OpenTraceFromEnvironment(IClock& clock);

} // namespace qor

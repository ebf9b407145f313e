// The optional trace: one line per notable event (start-up phases, state changes, paints,
// saves), written only when QOR_TRACE names a file. Callers test Enabled() before formatting,
// so a disabled trace costs one virtual call.
#pragma once

#include <string>

namespace qor {

class ITrace {
public:
    virtual ~ITrace() = default;
    virtual bool Enabled() const = 0;
    virtual void Line(const std::string& text) = 0;
};

class NullTrace final : public ITrace {
public:
    bool Enabled() const override { return false; }
    void Line(const std::string&) override {}
};

} // namespace qor

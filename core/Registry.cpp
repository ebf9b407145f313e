#include "core/Registry.h"

#include <cmath>
#include <cstdlib>

#include "core/AppState.h"
#include "core/Settings.h"
#include "core/Text.h"

namespace qor {

namespace {

constexpr const char* kSystemKey = "HKEY_CURRENT_USER\\SOFTWARE\\QOR Desktop\\System";
constexpr const char* kRunKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "QOR Desktop";
constexpr std::size_t kMaxValueBytes = 1024;

struct RootName {
    const char* name;
    uint32_t handle;
};
constexpr RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", reg::ClassesRoot},         {"HKEY_CURRENT_USER", reg::CurrentUser},
    {"HKEY_LOCAL_MACHINE", reg::LocalMachine},       {"HKEY_USERS", reg::Users},
    {"HKEY_PERFORMANCE_DATA", reg::PerformanceData}, {"HKEY_CURRENT_CONFIG", reg::CurrentConfig},
    {"HKEY_DYN_DATA", reg::DynData},
};

// The number a text starts with, after leading blanks ("12abc" -> 12, "x" -> 0).
double LeadingNumber(const std::string& text) {
    const std::string t = TrimBlanks(text);
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    return end == t.c_str() ? 0.0 : v;
}

std::string ExecutablePath(const AppState& app) {
    return app.paths.ProgramDir + app.paths.ProgramName + ".exe";
}

} // namespace

RegistryPath SplitRegistryPath(const std::string& fullPath) {
    RegistryPath out;
    const std::size_t first = fullPath.find('\\');
    const std::string rootName = first == std::string::npos ? fullPath : fullPath.substr(0, first);
    out.subKey = first == std::string::npos ? std::string() : fullPath.substr(first + 1);
    const std::size_t last = fullPath.find_last_of('\\');
    out.lastPart = last == std::string::npos ? fullPath : fullPath.substr(last + 1);
    const std::string upper = ToUpperAscii(rootName);
    for (const RootName& r : kRoots)
        if (upper == r.name)
            out.root = r.handle;
    return out;
}

RegistryValue ReadRegistryValue(IRegistry& reg, const std::string& keyPath, const std::string& valueName) {
    const RegistryPath path = SplitRegistryPath(keyPath);
    if (!path.root)
        return {};
    const auto value = reg.Query(*path.root, path.subKey, valueName, kMaxValueBytes);
    if (!value)
        return {};
    switch (value->type) {
    case reg::Sz:
    case reg::ExpandSz:
    case reg::Binary:
    case reg::MultiSz:
        return std::string(value->data.begin(), value->data.end());
    case reg::Dword: {
        if (value->data.size() < 4)
            return {};
        const uint32_t v = static_cast<uint32_t>(value->data[0]) | (static_cast<uint32_t>(value->data[1]) << 8) |
                           (static_cast<uint32_t>(value->data[2]) << 16) |
                           (static_cast<uint32_t>(value->data[3]) << 24);
        return static_cast<int32_t>(v);
    }
    default:
        return {};
    }
}

std::string ReadRegistryText(IRegistry& reg, const std::string& keyPath, const std::string& valueName) {
    const RegistryValue v = ReadRegistryValue(reg, keyPath, valueName);
    if (const auto* text = std::get_if<std::string>(&v))
        return CleanString(*text);
    return {};
}

namespace {

// The status of RegSetValueExA, or nothing when no value could be written at all (unknown root,
// key not created, unsupported type).
std::optional<long> TryWriteValue(IRegistry& reg, const std::string& keyPath, const std::string& valueName,
                                  const std::string& value, int type) {
    const RegistryPath path = SplitRegistryPath(keyPath);
    if (!path.root)
        return std::nullopt;
    Bytes data;
    uint32_t regType = 0;
    if (type == 1 || type == 2) {
        // The characters only: no terminating NUL is stored.
        data.assign(value.begin(), value.end());
        regType = type == 1 ? reg::Sz : reg::ExpandSz;
    } else if (type == 4) {
        const double n = LeadingNumber(value);
        const int64_t rounded = static_cast<int64_t>(std::nearbyint(n));
        const uint32_t v = static_cast<uint32_t>(static_cast<int32_t>(rounded));
        data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                static_cast<uint8_t>(v >> 24)};
        regType = reg::Dword;
    } else {
        return std::nullopt;
    }
    return reg.Set(*path.root, path.subKey, valueName, regType, data);
}

} // namespace

long WriteRegistryValue(IRegistry& reg, const std::string& keyPath, const std::string& valueName,
                        const std::string& value, int type) {
    return TryWriteValue(reg, keyPath, valueName, value, type).value_or(0);
}

long DeleteRegistryValue(IRegistry& reg, const std::string& keyPath, const std::string& valueName) {
    const RegistryPath path = SplitRegistryPath(keyPath);
    if (!path.root)
        return 0;
    return reg.Delete(*path.root, path.subKey, valueName).value_or(0);
}

bool IsFirstRun(AppState& app) {
    IRegistry& reg = *app.sys.reg;
    if (ReadRegistryText(reg, kSystemKey, "FirstRun") != "0")
        return false;
    WriteRegistryValue(reg, kSystemKey, "FirstRun", "1", 1);
    return true;
}

bool RegisterAppInfo(AppState& app) {
    IRegistry& reg = *app.sys.reg;
    const std::string revision = std::to_string(QOR_VERSION_PATCH);
    const std::string version =
        std::to_string(QOR_VERSION_MAJOR) + "." + std::to_string(QOR_VERSION_MINOR) + "." + revision;
    // A key that cannot be created counts as a failed write here, so the result never
    // reports values that were not stored.
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"APP_PATH", ExecutablePath(app)},
                                      {"APP_VER", version},
                                      {"APP_BUILD", revision}})
        if (TryWriteValue(reg, kSystemKey, name, value, 1).value_or(-1) != 0)
            return false;
    return true;
}

int SetAutoRun(AppState& app, bool on) {
    IRegistry& reg = *app.sys.reg;
    const std::string exe = ExecutablePath(app);
    // Windows paths: the entry names this program in whatever letter case it was written.
    const auto namesThisProgram = [&] {
        return ToLowerAscii(ReadRegistryText(reg, kRunKey, kRunValue)) == ToLowerAscii(exe);
    };
    const bool present = namesThisProgram();
    if (present && on)
        return 1;
    if (!present && !on)
        return 0; // an entry of another copy of the program is left alone
    if (on)
        WriteRegistryValue(reg, kRunKey, kRunValue, exe, 1);
    else
        DeleteRegistryValue(reg, kRunKey, kRunValue);
    return namesThisProgram() ? 1 : 0;
}

} // namespace qor

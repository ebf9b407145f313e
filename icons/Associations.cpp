// The registry look-ups for file types and address schemes. Every text read is cleaned (cut at
// its NUL, trimmed) by ReadRegistryText.
#include "icons/Associations.h"

#include <cctype>
#include <limits>
#include <optional>

#include "core/AppState.h"
#include "core/Registry.h"
#include "core/Text.h"

namespace qor {

namespace {

// Environment references ("%SystemRoot%\...") expanded the way every registry path is.
std::string Expand(AppState& app, const std::string& text) {
    return NormalizePath(text, false, *app.sys.sys, *app.sys.fs, app.paths);
}

// The icon index after the comma of a "DefaultIcon" value: a signed 32-bit decimal number at
// the start of the text, 0 when there is none or it does not fit.
int32_t ParseIconIndex(const std::string& text) {
    const std::string t = TrimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        negative = t[i++] == '-';
    int64_t value = 0;
    bool digits = false;
    for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
        digits = true;
        value = value * 10 + (t[i] - '0');
        if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1)
            return 0;
    }
    if (!digits)
        return 0;
    value = negative ? -value : value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return 0;
    return static_cast<int32_t>(value);
}

// The program of an "open" command line: the text up to and including the first ".EXE" (in any
// case), trimmed, one leading double quote removed, environment references expanded. A command
// without ".EXE" comes back whole in upper case, which names no file.
std::string ProgramOfCommand(AppState& app, const std::string& command) {
    const std::string upper = ToUpperAscii(command);
    const std::size_t exe = upper.find(".EXE");
    if (exe == std::string::npos)
        return upper;
    std::string program = TrimBlanks(command.substr(0, exe + 4));
    if (!program.empty() && program.front() == '"')
        program.erase(0, 1);
    return Expand(app, program);
}

// One pass of the file-type look-up under one classes root ("HKEY_CLASSES_ROOT\" or
// "HKEY_LOCAL_MACHINE\SOFTWARE\Classes\"). Nothing when the root says nothing about the type.
std::optional<IconLocation> FindIconUnder(AppState& app, const std::string& root,
                                          const std::string& extension) {
    IRegistry& reg = *app.sys.reg;
    const std::string className = ReadRegistryText(reg, root + extension, "");
    std::string iconText;
    if (!className.empty()) {
        const std::string clsid = ReadRegistryText(reg, root + className + "\\CLSID", "");
        if (!clsid.empty())
            iconText = ReadRegistryText(reg, root + "CLSID\\" + clsid + "\\DefaultIcon", "");
        if (iconText.empty())
            iconText = ReadRegistryText(reg, root + className + "\\DefaultIcon", "");
    }
    if (!iconText.empty()) {
        IconLocation found;
        const std::size_t comma = iconText.find(',');
        // A value without a comma ("%1": the file is its own icon) names no icon file.
        if (comma != std::string::npos) {
            found.file = Expand(app, TrimBlanks(iconText.substr(0, comma)));
            found.index = ParseIconIndex(iconText.substr(comma + 1));
        }
        return found;
    }
    if (className.empty())
        return std::nullopt;
    const std::string command = ReadRegistryText(reg, root + className + "\\shell\\open\\command", "");
    if (command.empty())
        return std::nullopt;
    IconLocation found;
    found.file = ProgramOfCommand(app, command);
    return found;
}

} // namespace

IconLocation FindDefaultIcon(AppState& app, const std::string& extension) {
    if (extension.empty() || !app.sys.reg)
        return {};
    if (auto found = FindIconUnder(app, "HKEY_CLASSES_ROOT\\", extension))
        return *found;
    if (auto found = FindIconUnder(app, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\", extension))
        return *found;
    return {};
}

std::string FindDefaultProgram(AppState& app, int scheme) {
    if (!app.sys.reg || (scheme != 0 && scheme != 1))
        return {};
    IRegistry& reg = *app.sys.reg;
    const std::string name = scheme == 0 ? "http" : "mailto";
    const std::string className = ReadRegistryText(
        reg,
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\" + name +
            "\\UserChoice",
        "Progid");
    std::string command;
    if (!className.empty())
        command = ReadRegistryText(reg, "HKEY_CLASSES_ROOT\\" + className + "\\shell\\open\\command", "");
    if (command.empty())
        command = ReadRegistryText(reg, "HKEY_CLASSES_ROOT\\" + name + "\\shell\\open\\command", "");
    if (command.empty())
        return {};
    return ProgramOfCommand(app, command);
}

} // namespace qor

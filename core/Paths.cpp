#include "core/Paths.h"

#include "core/Text.h"

namespace qor {

namespace {

// Environment references expanded in one path; more means a variable refers to itself.
constexpr int kMaxExpansions = 64;
// A path longer than this after expansion is not a path any more.
constexpr std::size_t kMaxExpandedLength = 32768;

bool AttributesExist(uint32_t attributes) {
    // The attributes read as a signed 32-bit number must be above 0 (INVALID is -1).
    return static_cast<int32_t>(attributes) > 0;
}

// Expands environment references between percent signs. Returns true when every "%" is gone
// (the caller then skips the marker rules), false when a pair is unmatched or unknown.
bool ExpandEnvironment(std::string& text, ISystem& sys) {
    for (int round = 0; round < kMaxExpansions; ++round) {
        const std::size_t open = text.find('%');
        if (open == std::string::npos)
            return true;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos)
            return false;
        const std::string name = text.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : sys.GetEnvVar(name);
        if (!value)
            return false;
        text = ReplaceAll(text, "%" + name + "%", *value);
        if (text.size() > kMaxExpandedLength)
            return false;
        if (text.find('%') == std::string::npos)
            return true;
    }
    return false;
}

// Replaces every lower-case occurrence of a folder marker by the Windows folder. A drive
// written just before the marker at the start of the path ("c:\windows\...") goes with it, so
// the result never holds two drives. One left-to-right pass over the original text: the
// inserted folder is never scanned again, as it may itself end in the marker ("C:\windows\").
std::string ReplaceMarker(const std::string& text, const std::string& marker,
                          const std::string& windowsFolder) {
    std::string out;
    std::size_t pos = 0;
    if (text.size() >= 2 + marker.size() && text[1] == ':' && text.compare(2, marker.size(), marker) == 0) {
        out = windowsFolder;
        pos = 2 + marker.size();
    }
    for (std::size_t found; (found = text.find(marker, pos)) != std::string::npos;
         pos = found + marker.size())
        out.append(text, pos, found - pos).append(windowsFolder);
    return out.append(text, pos, std::string::npos);
}

} // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

namespace {

bool HasScaledCopies(const Paths& paths, const std::string& picture) {
    const std::string& folder = paths.IconCacheFolder;
    if (folder.empty() || picture.size() <= folder.size() ||
        ToUpperAscii(picture.substr(0, folder.size())) != ToUpperAscii(folder))
        return false;
    const std::string name = picture.substr(folder.size());
    return name.find_first_of("\\/:*?") == std::string::npos && name != "." && name != ".." &&
           !EndsWithNoCase(name, kScaledCopySuffix);
}

} // namespace

std::string ScaledCopyOf(const Paths& paths, const std::string& picture, int side) {
    if (side <= 0 || !HasScaledCopies(paths, picture))
        return {};
    return picture + "." + std::to_string(side) + kScaledCopySuffix;
}

std::string ScaledCopiesPattern(const Paths& paths, const std::string& picture) {
    return HasScaledCopies(paths, picture) ? picture + ".*" + kScaledCopySuffix : std::string();
}

std::string NormalizePath(std::string path, bool searchSystemFolders, ISystem& sys, IFileSystem& fs,
                          const Paths& paths) {
    path = ReplaceAll(path, "\"", "");
    path = ReplaceAll(path, "\\\\", "\\");

    if (path.find('%') != std::string::npos && ExpandEnvironment(path, sys))
        return CleanString(path);

    // Markers are found without regard to case but replaced only where written in lower case.
    const std::string lower = ToLowerAscii(path);
    bool matched = true;
    if (lower.find("\\systemroot\\") != std::string::npos)
        path = ReplaceMarker(path, "\\systemroot\\", paths.WindowsFolder);
    else if (lower.find("\\??\\") != std::string::npos)
        path = ReplaceAll(path, "\\??\\", "");
    else if (lower.find("\\windows\\") != std::string::npos)
        path = ReplaceMarker(path, "\\windows\\", paths.WindowsFolder);
    else if (lower.find("\\winnt\\") != std::string::npos)
        path = ReplaceMarker(path, "\\winnt\\", paths.WindowsFolder);
    else if (!path.empty() && path[0] == '@')
        path = ReplaceAll(path, "@", "");
    else
        matched = false;

    if (!matched && searchSystemFolders) {
        for (const std::string& folder :
             {paths.SystemFolder + "Drivers\\", paths.SystemFolder, paths.WindowsFolder}) {
            std::string candidate = folder + path;
            if (!folder.empty() && FileExists(candidate, fs)) {
                path = folder + path;
                break;
            }
        }
    }
    return CleanString(path);
}

bool PathExists(std::string& path, IFileSystem& fs) {
    path = CleanString(path);
    return !path.empty() && AttributesExist(fs.GetAttributes(path));
}

bool PathExists(std::string& path, bool expand, ISystem& sys, IFileSystem& fs, const Paths& paths) {
    path = CleanString(path);
    if (path.empty())
        return false;
    if (expand)
        path = NormalizePath(path, true, sys, fs, paths);
    return PathExists(path, fs);
}

bool FileExists(std::string& path, IFileSystem& fs) {
    path = CleanString(path);
    const uint32_t a = fs.GetAttributes(path);
    return AttributesExist(a) && a != kAttrDirectory;
}

} // namespace qor

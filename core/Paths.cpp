// Placeholder path helpers; replaced by the full rules below in the same file.
#include "core/Paths.h"

#include "core/Text.h"

namespace qor {

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FileNameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string NormalizePath(std::string path, bool, ISystem&, IFileSystem&, const Paths&) { return CleanString(path); }

bool PathExists(std::string& path, IFileSystem& fs) {
    path = CleanString(path);
    if (path.empty())
        return false;
    const uint32_t a = fs.GetAttributes(path);
    return a != kNoAttributes && a > 0;
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
    return a != kNoAttributes && a > 0 && a != kAttrDirectory;
}

} // namespace qor

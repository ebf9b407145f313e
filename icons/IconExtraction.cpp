#include "icons/IconExtraction.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "icons/IconTools.h"

namespace qor {

bool ExtractFileIcon(IIconTools& tools, IFileSystem& fs, int mode, const IconSource& source,
                     const std::string& pngPath) {
    const std::string output = CleanString(pngPath);
    std::string file = source.iconFile;
    switch (mode) {
    case extract::Resource: {
        if (PathExists(file, fs) && tools.ExtractResourceIcon(file, source.index, output) == 1)
            return true;
        std::string target = source.target;
        return PathExists(target, fs) && tools.ExtractResourceIcon(target, source.index, output) == 1;
    }
    case extract::Document:
        return PathExists(file, fs) && tools.ExtractResourceIcon(file, source.index, output) == 1;
    case extract::Shell:
        return PathExists(file, fs) && tools.ExtractShellIcon(file, output);
    default:
        return true;
    }
}

} // namespace qor

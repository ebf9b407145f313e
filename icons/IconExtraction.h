// Producing an item's icon file by extraction mode: from the resources of a link's icon file or
// target (3), of a document type's icon file (4), or the shell's own icon of a file (5).
#pragma once

#include <cstdint>
#include <string>

namespace qor {

class IIconTools;
class IFileSystem;

namespace extract {
constexpr int Resource = 3; // a shortcut's or program's icon: icon file, then target
constexpr int Document = 4; // a file type's associated icon file
constexpr int Shell = 5;    // the shell's icon of the file itself
} // namespace extract

struct IconSource {
    std::string iconFile; // mode 3: the link's icon file; modes 4 and 5: the file
    std::string target;   // mode 3: the link's target, tried when the icon file gives nothing
    int32_t index = 0;    // icon group position, or minus a group identifier
};

// Writes the icon into `pngPath`; true when an icon file was written. Modes 3 and 4 give false
// when the file is missing; any mode other than 3, 4 and 5 does nothing and gives true.
bool ExtractFileIcon(IIconTools& tools, IFileSystem& fs, int mode, const IconSource& source,
                     const std::string& pngPath);

} // namespace qor

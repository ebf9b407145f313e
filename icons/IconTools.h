// The picture-producing operations the icon resolution needs from the system: icon
// extraction from executables, icon files and the shell, image re-encoding and version strings.
// Every picture written is PNG data, whatever the file name says.
#pragma once

#include <string>

namespace qor {

class IIconTools {
public:
    virtual ~IIconTools() = default;
    // Writes the best image of icon group `index` of an executable or library to `pngPath`
    // (negative index: the group whose identifier is -index). 1 on success, 0 otherwise.
    virtual int ExtractResourceIcon(const std::string& file, int index, const std::string& pngPath) = 0;
    // The shell's large icon of any existing file written as PNG; false when there is none.
    virtual bool ExtractShellIcon(const std::string& file, const std::string& pngPath) = 0;
    // An ".ico" file (or PNG data under an ".ico" name) converted to PNG. 1 on success, 0 otherwise.
    virtual int ConvertIconFile(const std::string& iconFile, const std::string& pngPath) = 0;
    // Any picture GDI+ reads re-encoded as PNG, optionally rescaled to width x height. 1 or 0.
    virtual int ImageFileToPng(const std::string& source, const std::string& pngPath, bool rescale, int width,
                               int height) = 0;
    // A string of a file's version resource by key number (6 = "FileDescription"); empty when none.
    virtual std::string GetVersionString(const std::string& file, int keyNumber) = 0;
};

} // namespace qor

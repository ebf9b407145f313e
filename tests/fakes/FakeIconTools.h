// Icon extraction for the unit tests: the files listed in `resourceIcons` hold icon groups, every
// existing file has a shell icon (unless turned off), icon files convert when they exist. Each
// success writes a small marker file at the PNG path, naming the call, so tests can see which
// source a picture came from.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "icons/IconTools.h"

namespace qor::test {

class FakeIconTools : public IIconTools {
public:
    explicit FakeIconTools(FakeFileSystem& fs) : m_fs(fs) {}

    struct Call {
        std::string op, file;
        int index = 0;
        std::string png;
        std::string size; // picture conversions: "128x128" when rescaled, else empty
    };
    std::vector<Call> calls;
    std::set<std::string, NoCaseLess> resourceIcons;             // executables and libraries with icon groups
    std::set<std::string, NoCaseLess> brokenFiles;               // files every conversion fails on
    std::map<std::string, std::string, NoCaseLess> descriptions; // "FileDescription" by file
    bool shellIcons = true;

    int ExtractResourceIcon(const std::string& file, int index, const std::string& pngPath) override;
    bool ExtractShellIcon(const std::string& file, const std::string& pngPath) override;
    int ConvertIconFile(const std::string& iconFile, const std::string& pngPath) override;
    int ImageFileToPng(const std::string& source, const std::string& pngPath, bool rescale, int width,
                       int height) override;
    std::string GetVersionString(const std::string& file, int keyNumber) override;

    // The marker text written for a successful call.
    static std::string Marker(const std::string& op, const std::string& file, int index);
    // The marker text of the file at `pngPath`, or empty text.
    std::string MarkerAt(const std::string& pngPath) const;

private:
    bool Write(const std::string& op, const std::string& file, int index, const std::string& pngPath);
    FakeFileSystem& m_fs;
};

} // namespace qor::test

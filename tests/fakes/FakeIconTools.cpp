#include "fakes/FakeIconTools.h"

namespace qor::test {

std::string FakeIconTools::Marker(const std::string& op, const std::string& file, int index) {
    return op + "|" + file + "|" + std::to_string(index);
}

std::string FakeIconTools::MarkerAt(const std::string& pngPath) const {
    auto f = m_fs.files.find(pngPath);
    return f == m_fs.files.end() ? std::string() : std::string(f->second.begin(), f->second.end());
}

bool FakeIconTools::Write(const std::string& op, const std::string& file, int index,
                          const std::string& pngPath) {
    calls.push_back({op, file, index, pngPath});
    if (brokenFiles.count(file) || m_fs.GetAttributes(file) == kNoAttributes)
        return false;
    m_fs.AddFile(pngPath, Marker(op, file, index));
    return true;
}

int FakeIconTools::ExtractResourceIcon(const std::string& file, int index, const std::string& pngPath) {
    if (!resourceIcons.count(file)) {
        calls.push_back({"resource", file, index, pngPath});
        return 0;
    }
    return Write("resource", file, index, pngPath) ? 1 : 0;
}

bool FakeIconTools::ExtractShellIcon(const std::string& file, const std::string& pngPath) {
    if (!shellIcons) {
        calls.push_back({"shell", file, 0, pngPath});
        return false;
    }
    return Write("shell", file, 0, pngPath);
}

int FakeIconTools::ConvertIconFile(const std::string& iconFile, const std::string& pngPath) {
    return Write("ico", iconFile, 0, pngPath) ? 1 : 0;
}

int FakeIconTools::ImageFileToPng(const std::string& source, const std::string& pngPath, bool rescale,
                                  int width, int height) {
    const bool written = Write("image", source, 0, pngPath);
    if (rescale)
        calls.back().size = std::to_string(width) + "x" + std::to_string(height);
    return written ? 1 : 0;
}

std::string FakeIconTools::GetVersionString(const std::string& file, int keyNumber) {
    calls.push_back({"version", file, keyNumber, ""});
    auto f = descriptions.find(file);
    return keyNumber == 6 && f != descriptions.end() ? f->second : std::string();
}

} // namespace qor::test

// The file system seam on Win32 (ANSI calls, as the stored paths are ANSI text).
#pragma once

#include "platform/FileSystem.h"

namespace qor {

class WinFileSystem final : public IFileSystem {
public:
    uint32_t GetAttributes(const std::string& path) override;
    std::optional<Bytes> ReadAll(const std::string& path) override;
    int64_t GetLength(const std::string& path) override;
    std::unique_ptr<IWriteFile> Create(const std::string& path) override;
    bool Delete(const std::string& path) override;
    bool Copy(const std::string& from, const std::string& to) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool CreateFolder(const std::string& path) override;
    std::vector<FindEntry> Find(const std::string& pattern) override;
};

} // namespace qor

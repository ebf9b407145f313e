// The file system as the portable core sees it. Paths are ANSI text as Windows takes them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qor {

using Bytes = std::vector<uint8_t>;

// GetFileAttributes values.
constexpr uint32_t kNoAttributes = 0xFFFFFFFFu; // the path does not exist
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

// A file being written. Close is explicit so that its failure can be seen; the destructor
// closes a file that is still open and ignores the outcome.
class IWriteFile {
public:
    virtual ~IWriteFile() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Forces what was written to the disk (FlushFileBuffers).
    virtual bool Flush() = 0;
    virtual bool Close() = 0;
};

struct FindEntry {
    std::string name;    // file name only
    uint32_t attributes; // GetFileAttributes bits
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // Attributes of a file or folder, kNoAttributes when it does not exist.
    virtual uint32_t GetAttributes(const std::string& path) = 0;
    // The whole file, or nothing when it cannot be read.
    virtual std::optional<Bytes> ReadAll(const std::string& path) = 0;
    // Length in bytes, or -1 when the file cannot be opened.
    virtual int64_t GetLength(const std::string& path) = 0;
    // Creates (or truncates) a file for writing; null when it cannot be created.
    virtual std::unique_ptr<IWriteFile> Create(const std::string& path) = 0;
    virtual bool Delete(const std::string& path) = 0;
    // Byte copy that overwrites the destination.
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
    // Puts `from` in place of `to` in one atomic step (the old `to` is gone, `from` no longer exists).
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool CreateFolder(const std::string& path) = 0;
    // FindFirstFile/FindNextFile over a pattern such as "C:\folder\*.png", "." and ".." included
    // as the system reports them.
    virtual std::vector<FindEntry> Find(const std::string& pattern) = 0;
};

// Writes a whole buffer to a new file: create, write, flush, close.
bool WriteWholeFile(IFileSystem& fs, const std::string& path, const Bytes& bytes);

} // namespace qor

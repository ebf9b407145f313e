// Whole-file and slice access for the stored files and the backup format.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace qor {

// The whole file (empty for an empty path or an unreadable file).
Bytes LoadFileToBuffer(IFileSystem& fs, const std::string& path);
// Writes the buffer to the file (created when missing); true on success.
bool WriteBufferToFile(IFileSystem& fs, const std::string& path, const Bytes& buffer);
// Length in bytes, 0 for an empty path or a missing file.
int64_t GetFileLength(IFileSystem& fs, const std::string& path);
// `length` bytes starting at the 1-based byte position `offset`; fewer when the file is shorter.
Bytes ReadFileSlice(IFileSystem& fs, const std::string& path, int64_t offset, int64_t length);

} // namespace qor

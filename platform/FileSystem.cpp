#include "platform/FileSystem.h"

namespace qor {

bool WriteWholeFile(IFileSystem& fs, const std::string& path, const Bytes& bytes) {
    auto file = fs.Create(path);
    if (!file)
        return false;
    const bool written = bytes.empty() || file->Write(bytes.data(), bytes.size());
    const bool flushed = written && file->Flush();
    const bool closed = file->Close();
    return written && flushed && closed;
}

} // namespace qor

#include "core/FileBuffer.h"

namespace qor {

Bytes LoadFileToBuffer(IFileSystem& fs, const std::string& path) {
    if (path.empty())
        return {};
    return fs.ReadAll(path).value_or(Bytes{});
}

bool WriteBufferToFile(IFileSystem& fs, const std::string& path, const Bytes& buffer) {
    return !path.empty() && WriteWholeFile(fs, path, buffer);
}

int64_t GetFileLength(IFileSystem& fs, const std::string& path) {
    if (path.empty())
        return 0;
    const int64_t n = fs.GetLength(path);
    return n < 0 ? 0 : n;
}

Bytes ReadFileSlice(IFileSystem& fs, const std::string& path, int64_t offset, int64_t length) {
    if (path.empty() || offset < 1 || length <= 0)
        return {};
    const auto all = fs.ReadAll(path);
    if (!all || static_cast<uint64_t>(offset - 1) >= all->size())
        return {};
    const auto begin = all->begin() + (offset - 1);
    const int64_t available = static_cast<int64_t>(all->end() - begin);
    return Bytes(begin, begin + (length < available ? length : available));
}

} // namespace qor

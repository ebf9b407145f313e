#include "platform/FileSystem_win.h"

#include <windows.h>

#include "platform/Handles_win.h"

namespace qor {

namespace {

// No file the program reads (settings, items, backups, pictures) comes near this; a larger one
// is refused rather than allocated.
constexpr int64_t kMaxReadBytes = 512ll * 1024 * 1024;

win::Handle OpenForReading(const std::string& path, DWORD access) {
    return win::Handle(CreateFileA(path.c_str(), access,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class WinWriteFile final : public IWriteFile {
public:
    explicit WinWriteFile(win::Handle file) : m_file(std::move(file)) {}

    bool Write(const void* data, std::size_t size) override {
        if (!win::IsValid(m_file))
            return false;
        auto* p = static_cast<const char*>(data);
        while (size > 0) {
            // WriteFile takes a 32-bit count; large buffers go in pieces.
            const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(m_file.get(), p, chunk, &written, nullptr) || written == 0)
                return false;
            p += written;
            size -= written;
        }
        return true;
    }

    bool Flush() override { return win::IsValid(m_file) && FlushFileBuffers(m_file.get()) != 0; }

    bool Close() override { return win::Close(m_file); }

private:
    win::Handle m_file;
};

} // namespace

uint32_t WinFileSystem::GetAttributes(const std::string& path) {
    return static_cast<uint32_t>(GetFileAttributesA(path.c_str()));
}

std::optional<Bytes> WinFileSystem::ReadAll(const std::string& path) {
    const win::Handle file = OpenForReading(path, GENERIC_READ);
    if (!win::IsValid(file))
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxReadBytes)
        return std::nullopt;
    Bytes bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(bytes.size() - done);
        if (!ReadFile(file.get(), bytes.data() + done, want, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break; // the file shrank while being read: keep what is there
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

int64_t WinFileSystem::GetLength(const std::string& path) {
    const win::Handle file = OpenForReading(path, FILE_READ_ATTRIBUTES);
    LARGE_INTEGER size{};
    if (!win::IsValid(file) || !GetFileSizeEx(file.get(), &size))
        return -1;
    return size.QuadPart;
}

std::unique_ptr<IWriteFile> WinFileSystem::Create(const std::string& path) {
    win::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!win::IsValid(file))
        return nullptr;
    return std::make_unique<WinWriteFile>(std::move(file));
}

bool WinFileSystem::Delete(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool WinFileSystem::Copy(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool WinFileSystem::Replace(const std::string& from, const std::string& to) {
    // A rename within one volume is atomic: readers see the old file or the new one, never a
    // half-written one. WRITE_THROUGH returns only once the rename is on the disk.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // MoveFileEx refuses to replace a read-only or hidden target; ReplaceFile handles those and
    // also keeps the target's attributes.
    return ReplaceFileA(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr) != 0;
}

bool WinFileSystem::CreateFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr))
        return true;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<FindEntry> WinFileSystem::Find(const std::string& pattern) {
    std::vector<FindEntry> entries;
    WIN32_FIND_DATAA data{};
    const win::FindHandle search(FindFirstFileA(pattern.c_str(), &data));
    if (!search || search.get() == INVALID_HANDLE_VALUE)
        return entries;
    do {
        entries.push_back({data.cFileName, static_cast<uint32_t>(data.dwFileAttributes)});
    } while (FindNextFileA(search.get(), &data));
    return entries;
}

} // namespace qor

#include "icons/FileDialog.h"

namespace qor {

std::string FilterWithNuls(std::string_view filter) {
    if (filter.empty())
        return {};
    std::string out(filter);
    for (char& c : out)
        if (c == '|')
            c = '\0';
    // The list ends with an empty string: one NUL here, the other from c_str().
    out.push_back('\0');
    return out;
}

std::optional<FileDialogRecord> PrepareFileDialog(const FileDialogRequest& request) {
    if (request.initialName.size() >= kFileNameOverflowChars)
        return std::nullopt;
    FileDialogRecord record;
    record.save = request.save;
    record.filter = FilterWithNuls(request.filter);
    // One more than the 260 visible characters, so that a name of exactly 260 still ends in a
    // NUL inside the buffer the system reads and writes.
    record.file = request.initialName;
    record.file.resize(kFileBufferChars + 1, '\0');
    record.fileTitle.assign(kFileBufferChars - 1, ' ');
    record.fileTitle.push_back('\0');
    record.title = request.title;
    record.initialFolder = request.initialFolder;
    record.defaultExtension = request.defaultExtension;
    // "The file must exist" would refuse every new backup file name in a save dialog.
    record.flags = request.save ? (kFileDialogFlags & ~kFileMustExist) : kFileDialogFlags;
    return record;
}

std::string FileDialogResult(const char* buffer, std::size_t size) {
    if (!buffer)
        return {};
    std::size_t n = 0;
    while (n < size && buffer[n] != '\0')
        ++n;
    return std::string(buffer, n);
}

std::string FileDialogOverflowTitle(const std::string& applicationTitle) {
    return applicationTitle + kFileDialogTitleSuffix;
}

} // namespace qor

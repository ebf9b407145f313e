// The common open/save file dialog as the program fills it: the length rule for the initial
// name, the filter text with NUL separators, the buffers and the flags. The Win32 call lives in
// FileDialog_win.cpp; everything it hands to the system is decided here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Ui.h"

namespace qor {

// Characters of the file-name and file-title buffers the dialog fills.
constexpr std::size_t kFileBufferChars = 260;
// An initial file name this long or longer is refused before the dialog opens.
constexpr std::size_t kFileNameOverflowChars = 261;
constexpr char kFileNameOverflowText[] = "Filename Length Overflow";
constexpr char kFileDialogTitleSuffix[] = " - FileDialog Function";

// OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST.
constexpr unsigned kFileDialogFlags = 0x1804;
constexpr unsigned kFileMustExist = 0x1000;

// Everything the dialog record receives, in the form the ANSI structure takes it. Strings hold
// embedded NUL characters where the system expects them.
struct FileDialogRecord {
    bool save = false;
    std::string filter;           // description/pattern pairs, NUL-separated, ending in two NULs
    std::string file;             // the initial name padded with NULs; nMaxFile = file.size()
    std::string fileTitle;        // 259 blanks and a NUL; nMaxFileTitle = 260
    std::string title;
    std::string initialFolder;    // empty: the system's choice
    std::string defaultExtension; // empty: none
    unsigned flags = kFileDialogFlags;
};

// "|" separators replaced by NUL, with the double-NUL end the dialog looks for. Empty stays empty.
std::string FilterWithNuls(std::string_view filter);

// The record for a request, or nothing when the initial name is 261 characters or longer.
std::optional<FileDialogRecord> PrepareFileDialog(const FileDialogRequest& request);

// The chosen path: the file buffer up to its first NUL.
std::string FileDialogResult(const char* buffer, std::size_t size);

// Title of the overflow message: the application title + " - FileDialog Function".
std::string FileDialogOverflowTitle(const std::string& applicationTitle);

} // namespace qor

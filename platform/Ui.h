// Message boxes and other modal user interface the core may need.
#pragma once

#include <string>

namespace qor {

// MessageBox flags and results (the Win32 values).
namespace mb {
constexpr unsigned Ok = 0x0;
constexpr unsigned YesNo = 0x4;
constexpr unsigned IconError = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconExclamation = 0x30;
constexpr unsigned IconInformation = 0x40;
constexpr unsigned DefButton2 = 0x100;
constexpr unsigned SetForeground = 0x10000;
constexpr int IdOk = 1;
constexpr int IdYes = 6;
constexpr int IdNo = 7;
} // namespace mb

struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;          // pairs separated by "|", e.g. "*.bak|*.bak|*.*|*.*"
    std::string initialName;
    std::string initialFolder;
    std::string defaultExtension;
};

class IUi {
public:
    virtual ~IUi() = default;
    virtual int ShowMessage(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // The common open/save dialog: the chosen path, or empty text when cancelled.
    virtual std::string FileDialog(const FileDialogRequest& request) = 0;
    // Hourglass pointer on or off while a long command runs.
    virtual void SetBusy(bool busy) = 0;
};

} // namespace qor

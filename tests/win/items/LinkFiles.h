// Shortcut files for the integration tests, written with the shell's own link object.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "platform/Handles_win.h"

namespace qor::test {

struct Link {
    std::string target, arguments, workingDirectory, iconFile, description;
    int iconIndex = 0;
    int show = SW_SHOWNORMAL;
};

// Writes a .lnk with IShellLinkA + IPersistFile, the way the shell makes them (COM must be
// initialised on the calling thread).
inline bool MakeLink(const std::string& path, const Link& l) {
    win::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.PutVoid())))
        return false;
    link->SetPath(l.target.c_str());
    if (!l.arguments.empty())
        link->SetArguments(l.arguments.c_str());
    if (!l.workingDirectory.empty())
        link->SetWorkingDirectory(l.workingDirectory.c_str());
    if (!l.iconFile.empty())
        link->SetIconLocation(l.iconFile.c_str(), l.iconIndex);
    if (!l.description.empty())
        link->SetDescription(l.description.c_str());
    link->SetShowCmd(l.show);
    win::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())))
        return false;
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    return SUCCEEDED(file->Save(wide, TRUE));
}

} // namespace qor::test

// A fresh folder under the temporary folder for one test, removed with everything in it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Handles_win.h"

namespace qor::test {

class WinTestFolder {
public:
    WinTestFolder() {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        m_path = std::string(temp) + "qor_win_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(GetTickCount64()) + "_" + std::to_string(++counter) + "\\";
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    WinTestFolder(const WinTestFolder&) = delete;
    WinTestFolder& operator=(const WinTestFolder&) = delete;
    ~WinTestFolder() { RemoveTree(m_path); }

    // The folder with a trailing backslash.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    static void RemoveTree(const std::string& folder) {
        WIN32_FIND_DATAA data{};
        const win::FindHandle find(FindFirstFileA((folder + "*").c_str(), &data));
        if (find.get() != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = data.cFileName;
                if (name == "." || name == "..")
                    continue;
                const std::string path = folder + name;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL |
                                                     (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY));
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + "\\");
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(find.get(), &data));
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string m_path;
};

} // namespace qor::test

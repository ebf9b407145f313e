// qor_marker.exe: a stand-in program for the tests that launch something. It shows no window;
// it writes one small text file about how it was started and ends at once.
//
// Where the file goes: the path in the environment variable QOR_MARKER_FILE when it is set (a
// launched program inherits the launcher's environment, so a test sets it in its own process,
// or in the environment of QORDesktop.exe), otherwise "qor_marker.txt" beside the executable.
// The file is written under a temporary name and then renamed, so whoever polls for it never
// reads half of it. Its lines, in this order:
//
//   command-line=<GetCommandLineA(), as the program received it>
//   arguments=<the command line without the program's own name and the blanks after it>
//   directory=<the working directory, GetCurrentDirectoryA>
//   show=<STARTUPINFO.wShowWindow when STARTF_USESHOWWINDOW is set, else "default">
//
// show is the show command the launcher asked for: 1 normal, 2 minimized, 3 maximized, 7
// minimized without activation, ...
//
// Built by the Windows build as build/win/qor_marker.exe (no dependencies, static runtime).
#include <windows.h>

#include <string>

#include "platform/Handles_win.h"

namespace {

// The command line after the program's name: a quoted name ends at the closing quote, a bare
// one at the first blank; the blanks that follow are skipped.
std::string ArgumentsOf(const std::string& commandLine) {
    std::size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t')
            ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t'))
        ++i;
    return commandLine.substr(i);
}

std::string MarkerPath() {
    char buffer[MAX_PATH * 2] = {};
    const DWORD n = GetEnvironmentVariableA("QOR_MARKER_FILE", buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer)
        return buffer;
    std::string path(MAX_PATH * 2, '\0');
    path.resize(GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of('\\') + 1) + "qor_marker.txt";
}

bool WriteWhole(const std::string& path, const std::string& text) {
    const qor::win::Handle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!qor::win::IsValid(file))
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size() && FlushFileBuffers(file.get());
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const std::string commandLine = GetCommandLineA();
    char directory[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof directory, directory);

    std::string text = "command-line=" + commandLine + "\r\n";
    text += "arguments=" + ArgumentsOf(commandLine) + "\r\n";
    text += std::string("directory=") + directory + "\r\n";
    text += "show=" +
            ((startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow)
                                                      : std::string("default")) +
            "\r\n";

    const std::string path = MarkerPath();
    const std::string temporary = path + ".tmp";
    if (!WriteWhole(temporary, text))
        return 1;
    return MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

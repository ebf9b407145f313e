#include "fakes/Fakes.h"

#include <algorithm>

#include "core/Text.h"

namespace qor::test {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return ToLowerAscii(a) < ToLowerAscii(b);
}

namespace {

std::string StripSlash(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

// Wildcard match of a Windows pattern ("*" and "?"), case-insensitive.
bool Matches(const std::string& pattern, const std::string& name) {
    const std::string p = ToLowerAscii(pattern), n = ToLowerAscii(name);
    std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    // "*.*" matches names without a dot, as FindFirstFile does.
    return pi == p.size() || p.substr(pi) == ".*";
}

class FakeWriteFile : public IWriteFile {
public:
    FakeWriteFile(FakeFileSystem& fs, std::string path) : m_fs(fs), m_path(std::move(path)) {}
    ~FakeWriteFile() override { m_open = false; }
    bool Write(const void* data, std::size_t size) override {
        if (!m_open || !m_fs.Step())
            return false;
        auto* p = static_cast<const uint8_t*>(data);
        auto& bytes = m_fs.files[m_path];
        bytes.insert(bytes.end(), p, p + size);
        return true;
    }
    bool Flush() override { return m_open && m_fs.Step(); }
    bool Close() override {
        if (!m_open)
            return false;
        m_open = false;
        return m_fs.Step();
    }

private:
    FakeFileSystem& m_fs;
    std::string m_path;
    bool m_open = true;
};

} // namespace

// Like GetNumberFormatEx with the locale's separators and groups of three: the integer part
// grouped, the fraction cut or padded with zeros to `decimals` digits (callers pass exact digits).
std::string FakeSystem::FormatLocaleNumber(const std::string& plainNumber, int decimals, bool grouping) {
    const std::size_t dot = plainNumber.find('.');
    std::string whole = plainNumber.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : plainNumber.substr(dot + 1);
    if (whole.empty())
        whole = "0";
    fraction.resize(static_cast<std::size_t>(decimals < 0 ? 0 : decimals), '0');
    std::string out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (grouping && i > 0 && (whole.size() - i) % 3 == 0)
            out += thousandSeparator;
        out.push_back(whole[i]);
    }
    if (!fraction.empty())
        out += decimalSeparator + fraction;
    return out;
}

bool FakeFileSystem::Step() {
    const int n = operations++;
    if (failAt >= 0 && (n == failAt || (crash && n > failAt)))
        return false;
    return true;
}

void FakeFileSystem::AddFile(const std::string& path, const Bytes& bytes) {
    files[path] = bytes;
}
void FakeFileSystem::AddFile(const std::string& path, const std::string& text) {
    files[path] = Bytes(text.begin(), text.end());
}
void FakeFileSystem::AddFolder(const std::string& path, uint32_t attributes) {
    folders[StripSlash(path)] = attributes;
}

uint32_t FakeFileSystem::GetAttributes(const std::string& path) {
    if (path.empty())
        return kNoAttributes;
    auto f = folders.find(StripSlash(path));
    if (f != folders.end())
        return f->second;
    if (files.count(path)) {
        auto extra = extraAttributes.find(path);
        return kAttrArchive | (extra != extraAttributes.end() ? extra->second : 0);
    }
    return kNoAttributes;
}

std::optional<Bytes> FakeFileSystem::ReadAll(const std::string& path) {
    auto f = files.find(path);
    if (f == files.end())
        return std::nullopt;
    return f->second;
}

int64_t FakeFileSystem::GetLength(const std::string& path) {
    auto f = files.find(path);
    return f == files.end() ? -1 : static_cast<int64_t>(f->second.size());
}

bool FakeFileSystem::InReadOnlyFolder(const std::string& path) const {
    const std::string p = ToLowerAscii(path);
    for (const std::string& folder : readOnlyFolders) {
        const std::string f = ToLowerAscii(StripSlash(folder)) + "\\";
        if (p.size() > f.size() && p.compare(0, f.size(), f) == 0)
            return true;
    }
    return false;
}

std::unique_ptr<IWriteFile> FakeFileSystem::Create(const std::string& path) {
    if (!Step())
        return nullptr;
    if (InReadOnlyFolder(path))
        return nullptr;
    const std::string folder = StripSlash(path.substr(0, path.find_last_of('\\') + 1));
    if (!folder.empty() && folder.size() > 2 && !folders.count(folder))
        return nullptr;
    files[path] = Bytes{};
    return std::make_unique<FakeWriteFile>(*this, path);
}

bool FakeFileSystem::Delete(const std::string& path) {
    if (!Step())
        return false;
    return files.erase(path) != 0;
}

bool FakeFileSystem::Copy(const std::string& from, const std::string& to) {
    if (!Step())
        return false;
    auto f = files.find(from);
    if (f == files.end())
        return false;
    Bytes copy = f->second;
    files[to] = std::move(copy);
    return true;
}

bool FakeFileSystem::Replace(const std::string& from, const std::string& to) {
    if (!Step())
        return false;
    auto f = files.find(from);
    if (f == files.end())
        return false;
    Bytes moved = std::move(f->second);
    files.erase(f);
    files[to] = std::move(moved);
    return true;
}

bool FakeFileSystem::CreateFolder(const std::string& path) {
    const std::string p = StripSlash(path);
    if (p.empty() || InReadOnlyFolder(p))
        return false;
    if (folders.count(p))
        return false; // ERROR_ALREADY_EXISTS
    folders[p] = kAttrDirectory;
    return true;
}

std::vector<FindEntry> FakeFileSystem::Find(const std::string& pattern) {
    const std::size_t cut = pattern.find_last_of('\\');
    const std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
    const std::string mask = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    std::vector<FindEntry> out;
    if (!folders.count(StripSlash(folder)))
        return out;
    auto inFolder = [&](const std::string& path, std::string& name) {
        if (path.size() <= folder.size() ||
            ToLowerAscii(path.substr(0, folder.size())) != ToLowerAscii(folder))
            return false;
        name = path.substr(folder.size());
        return name.find('\\') == std::string::npos && Matches(mask, name);
    };
    if (Matches(mask, "."))
        out.push_back({".", kAttrDirectory});
    if (Matches(mask, ".."))
        out.push_back({"..", kAttrDirectory});
    std::string name;
    for (const auto& [path, attrs] : folders)
        if (inFolder(path, name))
            out.push_back({name, attrs});
    for (const auto& [path, bytes] : files)
        if (inFolder(path, name))
            out.push_back({name, GetAttributes(path)});
    return out;
}

FakeSystem::FakeSystem() {
    specialFolders = {
        {csidl::Windows, "C:\\Windows\\"},
        {csidl::System, "C:\\Windows\\system32\\"},
        {csidl::ProgramFiles, "C:\\Program Files\\"},
        {csidl::ProgramFilesCommon, "C:\\Program Files\\Common Files\\"},
        {csidl::Profile, "C:\\Users\\user\\"},
        {csidl::Desktop, "C:\\Users\\user\\Desktop\\"},
        {csidl::Personal, "C:\\Users\\user\\Documents\\"},
        {csidl::MyMusic, "C:\\Users\\user\\Music\\"},
        {csidl::MyVideo, "C:\\Users\\user\\Videos\\"},
        {csidl::MyPictures, "C:\\Users\\user\\Pictures\\"},
        {csidl::Favorites, "C:\\Users\\user\\Favorites\\"},
        {csidl::CommonDesktop, "C:\\Users\\Public\\Desktop\\"},
        {csidl::AppData, "C:\\Users\\user\\AppData\\Roaming\\"},
    };
    environment = {
        {"SystemRoot", "C:\\Windows"}, {"windir", "C:\\Windows"}, {"USERPROFILE", "C:\\Users\\user"}};
}

std::optional<std::string> FakeSystem::GetEnvVar(const std::string& name) {
    auto e = environment.find(name);
    if (e == environment.end())
        return std::nullopt;
    return e->second;
}

ScreenInfo FakeSystem::GetScreenInfoAt(int x, int y) {
    // Distance of the point from a work area (0 inside it), as the larger of the two axes.
    const auto distance = [x, y](const Rect& r) {
        const int dx = x < r.left ? r.left - x : (x >= r.right ? x - r.right + 1 : 0);
        const int dy = y < r.top ? r.top - y : (y >= r.bottom ? y - r.bottom + 1 : 0);
        return std::max(dx, dy);
    };
    ScreenInfo nearest = screen;
    for (const ScreenInfo& other : otherMonitors)
        if (distance(other.workArea) < distance(nearest.workArea))
            nearest = other;
    return nearest;
}

std::string FakeSystem::GetSpecialFolder(int id) {
    auto f = specialFolders.find(id);
    return f == specialFolders.end() ? std::string() : f->second;
}

std::optional<RegValue> FakeRegistry::Query(uint32_t root, const std::string& subKey, const std::string& name,
                                            std::size_t maxBytes) {
    auto k = keys.find({root, ToLowerAscii(subKey)});
    if (k == keys.end())
        return std::nullopt;
    auto v = k->second.values.find(name);
    if (v == k->second.values.end() || v->second.data.size() > maxBytes)
        return std::nullopt;
    return v->second;
}

std::optional<long> FakeRegistry::Set(uint32_t root, const std::string& subKey, const std::string& name,
                                      uint32_t type, const Bytes& data) {
    const auto id = std::make_pair(root, ToLowerAscii(subKey));
    if (readOnlyKeys.count(id))
        return std::nullopt;
    keys[id].values[name] = RegValue{type, data};
    return 0L;
}

std::optional<long> FakeRegistry::Delete(uint32_t root, const std::string& subKey, const std::string& name) {
    auto k = keys.find({root, ToLowerAscii(subKey)});
    if (k == keys.end())
        return std::nullopt;
    return k->second.values.erase(name) ? 0L : 2L; // ERROR_FILE_NOT_FOUND
}

void FakeRegistry::SetString(uint32_t root, const std::string& subKey, const std::string& name,
                             const std::string& value) {
    Bytes data(value.begin(), value.end());
    data.push_back(0);
    keys[{root, ToLowerAscii(subKey)}].values[name] = RegValue{reg::Sz, data};
}

std::optional<std::string> FakeRegistry::GetString(uint32_t root, const std::string& subKey,
                                                   const std::string& name) {
    auto v = Query(root, subKey, name, 1 << 20);
    if (!v)
        return std::nullopt;
    return CleanString(std::string(v->data.begin(), v->data.end()));
}

int FakeUi::ShowMessage(const std::string& text, const std::string& caption, unsigned flags) {
    messages.push_back({text, caption, flags});
    if (!answers.empty()) {
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    return (flags & mb::YesNo) ? mb::IdNo : mb::IdOk;
}

std::string FakeUi::FileDialog(const FileDialogRequest& request) {
    dialogs.push_back(request);
    if (dialogAnswers.empty())
        return {};
    std::string a = dialogAnswers.front();
    dialogAnswers.erase(dialogAnswers.begin());
    return a;
}

TestApp::TestApp() {
    app.sys = Platform{&fs, &sys, &reg, &ui, &clock, &trace};
    app.store.Create();
    Paths& p = app.paths;
    p.ProgramDir = "C:\\Program Files\\QOR Desktop\\";
    p.ProgramName = "QORDesktop";
    p.SysIconsFolder = p.ProgramDir + "SysIcons\\";
    p.DataDir = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\";
    p.IconCacheFolder = p.DataDir + "QorIcons\\";
    p.UserIconFile = p.IconCacheFolder + "User Icon.ico";
    p.SettingsFile = p.DataDir + "QORCfg.cfg";
    p.MenuFile = p.DataDir + "QORMenu.cfg";
    p.SettingsBackup = p.SettingsFile + ".bak";
    p.MenuBackup = p.MenuFile + ".bak";
    p.WindowsFolder = sys.GetSpecialFolder(csidl::Windows);
    p.SystemFolder = sys.GetSpecialFolder(csidl::System);
    p.ProgramFilesFolder = sys.GetSpecialFolder(csidl::ProgramFiles);
    p.ProfileFolder = sys.GetSpecialFolder(csidl::Profile);
    p.DesktopFolder = sys.GetSpecialFolder(csidl::Desktop);
    p.DocumentsFolder = sys.GetSpecialFolder(csidl::Personal);
    p.MusicFolder = sys.GetSpecialFolder(csidl::MyMusic);
    p.VideosFolder = sys.GetSpecialFolder(csidl::MyVideo);
    p.PicturesFolder = sys.GetSpecialFolder(csidl::MyPictures);
    p.FavoritesFolder = sys.GetSpecialFolder(csidl::Favorites);
    p.CommonDesktopFolder = sys.GetSpecialFolder(csidl::CommonDesktop);
    for (const char* folder :
         {"C:\\Windows", "C:\\Windows\\system32", "C:\\Program Files", "C:\\Program Files\\QOR Desktop",
          "C:\\Program Files\\QOR Desktop\\SysIcons", "C:\\Program Files\\Common Files",
          "C:\\Program Files\\Common Files\\QORSoft", "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop",
          "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons", "C:\\Users", "C:\\Users\\user",
          "C:\\Users\\user\\Desktop", "C:\\Users\\user\\Documents", "C:\\Users\\Public",
          "C:\\Users\\Public\\Desktop", "C:\\Temp"})
        fs.AddFolder(folder);
}

} // namespace qor::test

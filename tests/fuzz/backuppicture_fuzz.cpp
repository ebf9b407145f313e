// One item's pictures in a shortcuts-and-icons backup alone: its two picture paths and the
// embedded-picture headers and bytes that follow the records. Whatever they hold, each picture
// the reader finds lies inside the bytes, right after its 4-byte count and after the one before;
// a picture is found for exactly the paths the rule carries; and where the restore puts a
// picture or what path it keeps is this machine's icon cache, this install's shipped pictures or
// nothing.
//
// Input: "IconPath\nLargeIconPath\0picture part" (without a NUL the whole input is the picture
// part and both paths are the ones of the first seed). The whole-file target (backup) covers the
// join of the records with the pictures.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "SeedFiles.h"
#include "core/Backup.h"
#include "core/ConfigFormat.h"

using namespace qor;

namespace {

constexpr int kItem = 129;

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

const Paths& TestPaths() {
    static const Paths* paths = [] {
        auto* p = new Paths();
        p->SysIconsFolder = "C:\\Program Files\\QOR Desktop\\SysIcons\\";
        p->IconCacheFolder = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons\\";
        return p;
    }();
    return *paths;
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

// A path a restored member item may name afterwards.
bool IsAllowedPicture(const std::string& p) {
    const Paths& paths = TestPaths();
    if (p.empty() || IsCachePictureName(p, paths.IconCacheFolder))
        return true;
    return StartsWith(p, paths.SysIconsFolder) && IsPlainName(p.substr(paths.SysIconsFolder.size()));
}

// The stored paths go through a record field, as they do in a backup: at most 255 characters,
// cleaned.
std::string Stored(const std::string& text) {
    FixedText<255> field;
    field = text;
    return field.Peek();
}

void CheckWalk(ByteSpan part, const std::string& icon, const std::string& large, const PictureRule& rule) {
    ByteReader in(part);
    std::vector<EmbeddedFile> files;
    const bool read = ReadItemPictures(in, kItem, icon, large, rule, files);
    Check(in.Position() <= part.size());
    const std::size_t carried = (rule.Carries(icon) ? 1u : 0u) + (rule.Carries(large) ? 1u : 0u);
    Check(read ? files.size() == carried : files.size() < carried);
    std::size_t end = 0;
    for (const EmbeddedFile& f : files) {
        Check(f.item == kItem);
        Check(f.storedPath == (f.large ? large : icon));
        Check(f.offset == end + 4 && f.size <= part.size() - f.offset);
        end = f.offset + f.size;
        // The restore writes it under its stored name only when that is a numbered picture of
        // this machine's cache, which stays inside the cache folder; else under a fresh number.
        const std::string& cache = TestPaths().IconCacheFolder;
        if (IsCachePictureName(f.storedPath, cache))
            Check(ToLowerAscii(f.storedPath.substr(0, cache.size())) == ToLowerAscii(cache) &&
                  IsPlainName(f.storedPath.substr(cache.size())));
    }
    if (read)
        Check(in.Position() == end);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const Paths& p = TestPaths();
    auto seed = [](const std::string& icon, const std::string& large, const Bytes& part) {
        std::string head = icon + "\n" + large;
        Bytes out(head.begin(), head.end());
        out.push_back(0);
        out.insert(out.end(), part.begin(), part.end());
        return out;
    };
    Bytes two;
    PutI32(two, 5);
    two.insert(two.end(), {0x89, 'P', 'N', 'G', '\r'});
    PutI32(two, 0);
    two.insert(two.end(), {'/', 'E', 'N', 'D'});
    Bytes none{'/', 'E', 'N', 'D'};
    fuzz::WriteSeedsIfAsked({
        {"two-pictures", seed(p.IconCacheFolder + "3.png", p.IconCacheFolder + "4.png", two)},
        {"shipped-elsewhere", seed("D:\\Portable\\QOR Desktop\\SysIcons\\Folder.png", "", none)},
        {"climbing-out", seed(p.SysIconsFolder + "..\\..\\Windows\\notepad.exe", "C:\\Windows\\x.dll", two)},
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const Paths& paths = TestPaths();
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    std::string icon = paths.IconCacheFolder + "3.png";
    std::string large = paths.IconCacheFolder + "4.png";
    ByteSpan part(data, size);
    if (nul) {
        const std::string head(reinterpret_cast<const char*>(data), static_cast<std::size_t>(nul - data));
        const std::size_t line = head.find('\n');
        icon = Stored(head.substr(0, line));
        large = line == std::string::npos ? std::string() : Stored(head.substr(line + 1));
        part = ByteSpan(nul + 1, data + size);
    }

    // The current layout, and the one of older builds for this install and for every picture.
    CheckWalk(part, icon, large, PictureRule{});
    CheckWalk(part, icon, large, PictureRule{true, paths.SysIconsFolder});
    CheckWalk(part, icon, large, PictureRule{true, ""});

    // What the restore keeps for a path whose picture is not carried.
    for (const std::string& path : {icon, large}) {
        Check(IsAllowedPicture(KeptPicturePath(path, kItem, paths)));
        if (IsShippedPicture(path))
            Check(!PictureRule{}.Carries(path));
    }
    return 0;
}

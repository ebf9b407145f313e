// One item record of QORMenu.cfg (or of a backup) alone, at every index: the record is read
// whole or not at all and written back byte for byte; loading it follows the rules of its index
// range; and a restore leaves its picture paths naming only this install's shipped pictures,
// this machine's icon cache (items 0..3) or nothing.
//
// Input: two bytes (little-endian item index, taken modulo 1025), then the record.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "SeedFiles.h"
#include "core/Backup.h"
#include "core/ConfigFiles.h"
#include "core/ConfigFormat.h"

using namespace qor;

namespace {

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

// The store as the default catalogue leaves it, where a loaded record lands.
Store& Catalogue() {
    static Store* store = [] {
        auto* s = new Store();
        s->Create();
        for (int i = kFirstCommandItem; i <= kLastCommandItem; ++i) {
            DockItem& d = s->Items[static_cast<std::size_t>(i)];
            d.Kind = kind::Command;
            d.Param = i;
            d.Title = "Command " + std::to_string(i);
        }
        return s;
    }();
    return *store;
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

// What a restored record may name as a picture it was not given in the backup.
bool IsAllowedKeptPicture(const std::string& p, int index) {
    const Paths& paths = TestPaths();
    if (p.empty())
        return true;
    if (StartsWith(p, paths.SysIconsFolder))
        return IsPlainName(p.substr(paths.SysIconsFolder.size())) && IsShippedPicture(p);
    return index < 4 &&
           ToLowerAscii(p.substr(0, paths.IconCacheFolder.size())) == ToLowerAscii(paths.IconCacheFolder) &&
           IsPlainName(p.substr(paths.IconCacheFolder.size()));
}

Bytes Seed(int index, const DockItem& item) {
    Bytes out{static_cast<uint8_t>(index & 0xFF), static_cast<uint8_t>(index >> 8)};
    AppendItemRecord(out, item);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const Paths& p = TestPaths();
    DockItem member;
    member.Kind = kind::Member;
    member.Title = "Editor";
    member.Target = "C:\\Windows\\notepad.exe";
    member.IconPath = p.IconCacheFolder + "12.png";
    member.LargeIconPath = p.IconCacheFolder + "13.png";
    DockItem computer;
    computer.Kind = kind::System;
    computer.IsSystem = kTrue;
    computer.Param = 81;
    computer.Title = "My Computer";
    computer.IconPath = "D:\\Portable\\QOR Desktop\\SysIcons\\My Computer.png";
    computer.LargeIconPath = p.IconCacheFolder + "4.png";
    DockItem command;
    command.LargeIconPath = p.IconCacheFolder + "7.png";
    fuzz::WriteSeedsIfAsked(
        {{"member", Seed(200, member)}, {"my-computer", Seed(1, computer)}, {"command", Seed(70, command)}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int index = (data[0] | (data[1] << 8)) % (kItemBound + 1);
    const ByteSpan record(data + 2, size - 2);

    DockItem item;
    ByteReader in(record);
    const bool read = ReadItemRecord(in, item);
    Check(read == (record.size() >= kItemRecordSize));
    if (!read)
        return 0;
    Check(in.Position() == kItemRecordSize);
    Bytes written;
    AppendItemRecord(written, item);
    Check(written.size() == kItemRecordSize &&
          std::memcmp(written.data(), record.data(), kItemRecordSize) == 0);

    // Loading: the rules of the index range.
    Store& store = Catalogue();
    const DockItem before = store.Items[static_cast<std::size_t>(index)];
    TakeStoredItem(store, index, item);
    const DockItem& loaded = store.Items[static_cast<std::size_t>(index)];
    if (index >= kFirstCommandItem && index <= kLastCommandItem) {
        DockItem expected = before;
        expected.LargeIconPath = item.LargeIconPath;
        Check(loaded == expected);
    } else {
        DockItem expected = item;
        if (index <= kLastRingSlot && item.Kind == kind::Free)
            expected.Kind = kind::Blank;
        Check(loaded == expected);
    }
    store.Items[static_cast<std::size_t>(index)] = before;

    // Restoring: the pictures a backup does not carry.
    const PictureRule current;
    for (const FixedText<255>* field : {&item.IconPath, &item.LargeIconPath}) {
        const std::string path = field->Peek();
        Check(path.size() <= 255 && path.find('\0') == std::string::npos);
        Check(current.Carries(path) == (!path.empty() && !IsShippedPicture(path)));
        if (index >= 4 && current.Carries(path))
            continue; // placed in the icon cache from the backup's bytes
        Check(IsAllowedKeptPicture(KeptPicturePath(path, index, TestPaths()), index));
    }
    return 0;
}

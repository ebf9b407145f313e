// QORMenu.cfg from outside (damaged on disk, or carried in a backup): the parser reads whole
// records or nothing, and after LoadMenu every invariant of the item store holds.
//
// An input shorter than a menu file is taken as the group part of one and completed with a
// fixed item part in which the pool items are in use, so that the fuzzer spends its time on the
// variable-length group records and the member repair rather than on the 1.3 MB of items.
#include <cstddef>
#include <cstdint>

#include "SeedFiles.h"
#include "core/ConfigFiles.h"
#include "core/ConfigFormat.h"
#include "fakes/Fakes.h"

using namespace qor;

namespace {

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

test::TestApp& App() {
    static test::TestApp* app = new test::TestApp();
    return *app;
}

// A dock as the program would save it: a few groups with members, a full group and a
// built-in item with a chosen picture.
Store SampleDock() {
    Store s;
    s.Create();
    const std::string cache = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons\\";
    int next = kFirstPoolItem;
    auto member = [&](int g, const std::string& title) {
        DockItem& it = s.Items[next];
        it.Kind = kind::Member;
        it.Title = title;
        it.Target = "C:\\Apps\\" + title + ".exe";
        it.IconPath = cache + std::to_string(next) + ".png";
        it.IconRef = next;
        s.Groups[g].Members[++s.Groups[g].Count] = next++;
    };
    for (int g = 3; g <= 8; ++g) {
        s.Items[g].Kind = g == 3 ? kind::AllPrograms : kind::Group;
        s.Items[g].Title = "Group " + std::to_string(g);
        for (int j = 0; j < g; ++j)
            member(g, "m" + std::to_string(g) + "_" + std::to_string(j));
    }
    for (int j = 0; j < kGroupCapacity; ++j)
        member(9, "full" + std::to_string(j));
    s.Items[9].Kind = kind::Group;
    s.Items[9].Title = "Full (Full)";
    s.Items[70].LargeIconPath = cache + "0.png";
    return s;
}

const Bytes& ItemPart() {
    static const Bytes part = [] {
        Store s;
        s.Create();
        for (int i = kFirstPoolItem; i <= kItemBound; ++i)
            s.Items[i].Kind = kind::Member;
        Bytes items;
        for (int i = 0; i <= kItemBound; ++i)
            AppendItemRecord(items, s.Items[i]);
        return items;
    }();
    return part;
}

void CheckLoad(ByteSpan file) {
    const auto image = ParseMenu(file);
    if (image) {
        Check(image->size <= file.size());
        Check(image->items.size() == kStoredItemCount);
    }
    test::TestApp& t = App();
    t.fs.files.clear();
    t.app.store.Create();
    t.fs.AddFile(t.app.paths.MenuFile, Bytes(file.begin(), file.end()));
    Check(LoadMenu(t.app) == image.has_value());
    Check(CheckStoreInvariants(t.app.store).empty());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    App();
    const Bytes dock = SerializeMenu(SampleDock());
    Store empty;
    empty.Create();
    const Bytes blank = SerializeMenu(empty);
    const auto groupPart = static_cast<std::ptrdiff_t>(dock.size() - kStoredItemCount * kItemRecordSize);
    fuzz::WriteSeedsIfAsked({{"dock.cfg", dock},
                             {"dock-groups", Bytes(dock.begin(), dock.begin() + groupPart)},
                             {"empty-groups", Bytes(blank.begin(), blank.begin() + groupPart)}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const ByteSpan input(data, size);
    if (size >= kStandardMenuFileSize) {
        CheckLoad(input);
        return 0;
    }
    Bytes file(data, data + size);
    file.insert(file.end(), ItemPart().begin(), ItemPart().end());
    CheckLoad(file);
    return 0;
}

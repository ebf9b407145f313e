// The item image cache for the unit tests: records which entries were built, at which size and
// from which source. Pictures load from files of the fake file system unless listed unreadable.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dock/ImageCache.h"
#include "fakes/Fakes.h"

namespace qor::test {

class FakeImageCache : public IImageCache {
public:
    explicit FakeImageCache(FakeFileSystem& fs) : m_fs(fs) {}

    struct Entry {
        int width = 0, height = 0;
        bool ownSize = false;
        std::string source; // the file, or "shell:" + the file
        bool operator==(const Entry&) const = default;
    };
    std::map<std::pair<int, int>, Entry> entries; // by index and level
    std::set<std::string, NoCaseLess> unreadable;
    bool shellIcons = true;
    std::string working;
    int disposals = 0;
    std::vector<int> freed;
    std::map<int, std::string> copies; // the pre-scaled copy named by the last BuildFromPicture

    bool LoadWorkingFromFile(const std::string& path) override {
        if (!m_fs.Has(path) || unreadable.count(path))
            return false;
        working = path;
        return true;
    }
    bool LoadWorkingFromShellIcon(const std::string& path) override {
        if (!shellIcons || m_fs.GetAttributes(path) == kNoAttributes)
            return false;
        working = "shell:" + path;
        return true;
    }
    void ScaleIntoCache(int index, int level, int width, int height, bool ownSize) override {
        entries[{index, level}] = Entry{width, height, ownSize, working};
    }
    // The rest level at side x side and level 0 at the picture's own size, both recorded with
    // the file as their source; the copy each build named is kept in `copies`.
    bool BuildFromPicture(int index, const std::string& path, const std::string& copy, int level, int side,
                          bool withLevel0) override {
        if (!m_fs.Has(path) || unreadable.count(path))
            return false;
        for (int l = 0; l < kImageLevels; ++l)
            entries.erase({index, l});
        entries[{index, level}] = Entry{side, side, false, path};
        if (withLevel0)
            entries[{index, 0}] = Entry{0, 0, true, path};
        copies[index] = copy;
        return true;
    }
    void DisposeWorking() override {
        working.clear();
        ++disposals;
    }
    void FreeEntries(int index) override {
        freed.push_back(index);
        for (int level = 0; level < kImageLevels; ++level)
            entries.erase({index, level});
    }
    void SwapEntries(int a, int b) override {
        std::map<std::pair<int, int>, Entry> swapped;
        for (const auto& [key, entry] : entries)
            swapped[{key.first == a ? b : key.first == b ? a : key.first, key.second}] = entry;
        entries = std::move(swapped);
    }
    bool HasEntry(int index, int level) const override { return entries.count({index, level}) != 0; }

    // The levels built for an index, in order.
    std::vector<int> Levels(int index) const {
        std::vector<int> out;
        for (const auto& [key, entry] : entries)
            if (key.first == index)
                out.push_back(key.second);
        return out;
    }

private:
    FakeFileSystem& m_fs;
};

} // namespace qor::test

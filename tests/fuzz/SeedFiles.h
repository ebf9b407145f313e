// Seed corpora of the configuration fuzz targets are real files made by the program's own
// writers. Running a target with QOR_WRITE_SEEDS=<folder> writes its seeds there and exits.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qor::fuzz {

struct Seed {
    std::string name;
    Bytes bytes;
};

// Writes the seeds and ends the process when QOR_WRITE_SEEDS names a folder.
inline void WriteSeedsIfAsked(const std::vector<Seed>& seeds) {
    const char* folder = std::getenv("QOR_WRITE_SEEDS");
    if (!folder || !*folder)
        return;
    for (const Seed& s : seeds) {
        std::ofstream out(std::string(folder) + "/" + s.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(s.bytes.data()),
                  static_cast<std::streamsize>(s.bytes.size()));
        std::printf("seed %s: %zu bytes\n", s.name.c_str(), s.bytes.size());
    }
    std::exit(0);
}

} // namespace qor::fuzz

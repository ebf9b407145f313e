// What the registry says about file types and address schemes: the icon of a file extension
// and the program that opens "http" or "mailto" addresses.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

struct AppState;

struct IconLocation {
    std::string file;  // empty when none was found
    int32_t index = 0; // negative: a resource identifier
};

IconLocation FindDefaultIcon(AppState& app, const std::string& extension);
// 0 for "http", 1 for "mailto": the program's full path, or empty text.
std::string FindDefaultProgram(AppState& app, int scheme);

} // namespace qor

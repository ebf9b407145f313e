// The shell services the item code needs (links, drives, the recycle bin, file icons).
// Filled in by the shell-link work; the program's implementation is platform/Shell_win.cpp.
#pragma once

namespace qor {

class IShell {
public:
    virtual ~IShell() = default;
};

} // namespace qor

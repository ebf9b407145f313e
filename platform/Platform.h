// The system seams of the portable core, gathered so that one value can be passed around.
// The program fills them with the Win32 implementations, tests with fakes.
#pragma once

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Trace.h"
#include "platform/Ui.h"

namespace qor {

class IShell;
class IIconTools;
class IImageCache;

struct Platform {
    IFileSystem* fs = nullptr;
    ISystem* sys = nullptr;
    IRegistry* reg = nullptr;
    IUi* ui = nullptr;
    IClock* clock = nullptr;
    ITrace* trace = nullptr;
    IShell* shell = nullptr;      // links, drives, recycle bin
    IIconTools* icons = nullptr;  // icon extraction and PNG encoding
    IImageCache* images = nullptr; // the item image cache the dock draws from
};

} // namespace qor

// The fake shell is header-only; this file keeps the fakes library's one-file-per-fake layout.
#include "fakes/FakeShell.h"

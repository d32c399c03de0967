#pragma once

// Windows' own header for the Windows sources (platform/, the window) and their tests, never
// for a shared header: without its rarely used parts and its min and max macros, and without
// the macros that would rename our own DeleteFile, ReplaceFile and FindResource (of the
// package's resource sources) to their A or W variants.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef DeleteFile
#undef ReplaceFile
#undef FindResource

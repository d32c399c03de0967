#pragma once

// Windows' own header for the Windows sources of platform/ and their tests, never for a shared
// header: without its rarely used parts and its min and max macros, and without the macros that
// would rename our own DeleteFile and ReplaceFile to their A or W variants.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef DeleteFile
#undef ReplaceFile

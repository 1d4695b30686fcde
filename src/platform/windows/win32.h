// The Windows API headers, for the Windows services.
// The service interfaces borrow the names of
// Windows constants (ERROR_SUCCESS, REG_SZ, S_OK ...), which
// the Windows headers define as macros, and of some Windows calls
// (RegOpenKey, FindFirstUrlCacheEntry ...), which they define as macros for
// the A and W forms. So the interfaces are read first and the call macros are
// removed afterwards: the services always name the A form.
#pragma once

#include "platform/system.h"  // every service interface

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <urlhist.h>
#include <urlmon.h>
#include <wininet.h>
#include <aclapi.h>
// clang-format on

#undef RegOpenKey
#undef RegOpenKeyEx
#undef RegCreateKey
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef FormatMessage
#undef FindFirstUrlCacheEntry
#undef FindNextUrlCacheEntry
#undef DeleteUrlCacheEntry

// The Windows headers as the view uses them: the ANSI forms of the calls (the
// program's manifest makes UTF-8 the active code page, so they carry any name)
// and the messages newer than the oldest headers we build with.
//
// The program's own headers name the system's constants and calls as the
// program knows them (platform::ERROR_SUCCESS, forms::WM_LBUTTONDOWN,
// Registry::RegOpenKeyEx ...); the Windows headers define the same names as
// macros. Those macros are removed here, so that every header of the program
// reads the same in a file of the view as anywhere else.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h first: the others rely on its types.
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <uxtheme.h>

#undef ERROR_ACCESS_DENIED
#undef ERROR_FILE_NOT_FOUND
#undef ERROR_INSUFFICIENT_BUFFER
#undef ERROR_INVALID_HANDLE
#undef ERROR_INVALID_PARAMETER
#undef ERROR_MORE_DATA
#undef ERROR_NO_MORE_ITEMS
#undef ERROR_SHARING_VIOLATION
#undef ERROR_SUCCESS
#undef E_FAIL
#undef S_FALSE
#undef S_OK
#undef FormatMessage
#undef HKEY_CURRENT_USER
#undef KEY_READ
#undef KEY_WRITE
#undef NORMAL_CACHE_ENTRY
#undef REG_BINARY
#undef REG_DWORD
#undef REG_EXPAND_SZ
#undef REG_MULTI_SZ
#undef REG_NONE
#undef REG_QWORD
#undef REG_SZ
#undef RegCreateKey
#undef RegDeleteValue
#undef RegOpenKey
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef WM_LBUTTONDBLCLK
#undef WM_LBUTTONDOWN
#undef WM_RBUTTONUP

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace view_win32 {

// The view's own window messages.
inline constexpr UINT WM_TS_SYNC = WM_APP + 1;        // bring pending controls up to date
inline constexpr UINT WM_TS_ACTIVATED = WM_APP + 2;   // the window became active
inline constexpr UINT WM_TS_NEVER = WM_APP + 0x3F00;  // never sent: a filter that matches nothing
inline constexpr UINT WM_TS_TRAY = WM_MOUSEMOVE;      // the tray icon's callback message
inline constexpr DWORD kErrorAccessDenied = 5;

}  // namespace view_win32

#include "view/win32/dpi.h"

#include <string>

namespace view_win32 {
namespace {

template <typename Function>
Function lookUp(const char* module, const char* name) {
  HMODULE handle = GetModuleHandleA(module);
  if (!handle) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

using SetAwarenessContext = BOOL(WINAPI*)(HANDLE);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

}  // namespace

void enableDpiAwareness() {
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is (HANDLE)-4.
  if (auto set = lookUp<SetAwarenessContext>("user32.dll", "SetProcessDpiAwarenessContext")) {
    if (set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return;
    if (GetLastError() == kErrorAccessDenied) return;  // the manifest already did
  }
  SetProcessDPIAware();
}

UINT dpiOf(HWND window) {
  static auto forWindow = lookUp<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
  if (forWindow && window) {
    if (UINT dpi = forWindow(window)) return dpi;
  }
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

HFONT createMessageFont(UINT dpi, double size, bool bold, bool underline) {
  // The metrics at a given DPI come only in the wide form.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  static auto forDpi = lookUp<SystemParametersForDpi>("user32.dll", "SystemParametersInfoForDpi");
  LOGFONTW font{};
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
    font = metrics.lfMessageFont;
  } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    font = metrics.lfMessageFont;
    // The system's metrics are at the system DPI; bring them to this one.
    UINT system = dpiOf(nullptr);
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(system));
  } else {
    font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
    lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
  }
  font.lfHeight = static_cast<LONG>(font.lfHeight * size);
  if (bold) font.lfWeight = FW_BOLD;
  font.lfUnderline = underline ? TRUE : FALSE;
  return CreateFontIndirectW(&font);
}

int lineHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight;
}

int textWidth(HFONT font, const char* text) {
  std::string plain;
  for (const char* p = text; *p; ++p) {
    if (*p == '&' && p[1] != '&') continue;
    if (*p == '&') ++p;
    plain.push_back(*p);
  }
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, plain.c_str(), static_cast<int>(plain.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

}  // namespace view_win32

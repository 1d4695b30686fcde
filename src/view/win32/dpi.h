// Per-monitor DPI: the scale of a window, the system's UI font at that scale,
// and the calls newer than the oldest Windows the program runs on, looked up
// at run time.
#pragma once

#include "view/win32/win32_headers.h"

namespace view_win32 {

// Declares the process per-monitor DPI aware when the manifest could not
// (an old loader); harmless when it already is.
void enableDpiAwareness();

// The DPI of the monitor the window is on (96 when unknown).
UINT dpiOf(HWND window);
// A length of the 96-DPI design scaled to dpi.
inline int scaled(int length, UINT dpi) {
  return MulDiv(length, static_cast<int>(dpi), 96);
}

// The message font of the system at dpi, `size` times its height, bold or
// underlined on request. The caller owns the font.
HFONT createMessageFont(UINT dpi, double size = 1.0, bool bold = false, bool underline = false);

// The height of one line of text in the font, in pixels.
int lineHeight(HFONT font);
// The width of the text in the font, without its mnemonic marks.
int textWidth(HFONT font, const char* text);

}  // namespace view_win32

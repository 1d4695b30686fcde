// The artwork the view draws: raw bitmaps rendered from the SVG artwork at
// build time (at the design size and at twice it), a window that shows one,
// and the banner's gradient.
#pragma once

#include "view/win32/win32_headers.h"

namespace view_win32 {

enum class Artwork { Splash, Banner, About };

// One piece of artwork as a premultiplied 32-bit bitmap.
class Picture {
 public:
  Picture(HINSTANCE instance, Artwork artwork, bool twice);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // Draws it into the rectangle, blended over what is there.
  void draw(HDC dc, const RECT& where) const;

 private:
  HBITMAP bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Draws the artwork for a window of the given DPI: the bitmap nearer in size.
void drawArtwork(HINSTANCE instance, Artwork artwork, HDC dc, const RECT& where, UINT dpi);

// A child window that shows one piece of artwork scaled to its height.
HWND createPictureWindow(HINSTANCE instance, HWND parent, Artwork artwork);

// A horizontal gradient across the rectangle.
void fillGradient(HDC dc, const RECT& where, COLORREF from, COLORREF to);

}  // namespace view_win32

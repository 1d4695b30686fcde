#include "view/win32/pictures.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "view/win32/dpi.h"
#include "view/win32/resource_ids.h"

namespace view_win32 {
namespace {

struct Design {
  int resource1x;
  int width;
  int height;
};

Design designOf(Artwork artwork) {
  switch (artwork) {
    case Artwork::Splash:
      return {IDR_SPLASH_1X, 490, 280};
    case Artwork::Banner:
      return {IDR_BANNER_1X, 420, 64};
    default:
      return {IDR_ABOUT_1X, 120, 160};
  }
}

const Picture& cached(HINSTANCE instance, Artwork artwork, bool twice) {
  static std::map<std::pair<int, bool>, std::unique_ptr<Picture>> pictures;
  auto& slot = pictures[{static_cast<int>(artwork), twice}];
  if (!slot) slot = std::make_unique<Picture>(instance, artwork, twice);
  return *slot;
}

LRESULT CALLBACK pictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    auto artwork = static_cast<Artwork>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // The banner's background runs across the window's width.
    if (artwork == Artwork::Banner)
      fillGradient(dc, client, RGB(0x0b, 0x3d, 0x6b), RGB(0x2a, 0x8f, 0xc9));
    drawArtwork(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), artwork, dc,
                client, dpiOf(window));
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND &&
      static_cast<Artwork>(GetWindowLongPtrA(window, GWLP_USERDATA)) == Artwork::Banner)
    return TRUE;
  if (message == WM_ERASEBKGND) {
    // The parent's background shows through: the page may be themed.
    HWND parent = GetParent(window);
    POINT origin{0, 0};
    MapWindowPoints(window, parent, &origin, 1);
    HDC dc = reinterpret_cast<HDC>(wParam);
    POINT old{};
    SetWindowOrgEx(dc, origin.x, origin.y, &old);
    SendMessageA(parent, WM_ERASEBKGND, wParam, 0);
    SendMessageA(parent, WM_PRINTCLIENT, wParam, PRF_CLIENT);
    SetWindowOrgEx(dc, old.x, old.y, nullptr);
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

Picture::Picture(HINSTANCE instance, Artwork artwork, bool twice) {
  Design design = designOf(artwork);
  int factor = twice ? 2 : 1;
  width_ = design.width * factor;
  height_ = design.height * factor;
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(design.resource1x + (twice ? 1 : 0)),
                              MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  std::size_t size = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4;
  if (!bytes || SizeofResource(instance, found) < size) {
    width_ = height_ = 0;
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap_) return;
  // AlphaBlend wants the colours multiplied by their alpha.
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < size; i += 4) {
    unsigned alpha = bytes[i + 3];
    for (std::size_t c = 0; c < 3; ++c)
      out[i + c] = static_cast<std::uint8_t>((bytes[i + c] * alpha + 127) / 255);
    out[i + 3] = static_cast<std::uint8_t>(alpha);
  }
}

Picture::~Picture() {
  if (bitmap_) DeleteObject(bitmap_);
}

void Picture::draw(HDC dc, const RECT& where) const {
  if (!bitmap_) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap_);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  SetStretchBltMode(dc, HALFTONE);
  AlphaBlend(dc, where.left, where.top, where.right - where.left, where.bottom - where.top, source,
             0, 0, width_, height_, blend);
  SelectObject(source, old);
  DeleteDC(source);
}

void drawArtwork(HINSTANCE instance, Artwork artwork, HDC dc, const RECT& where, UINT dpi) {
  const Picture& picture = cached(instance, artwork, dpi > 120);
  if (picture.width() == 0) return;
  // Scaled to the height, in proportion, at the left.
  int height = where.bottom - where.top;
  int width = MulDiv(picture.width(), height, picture.height());
  if (width > where.right - where.left) {
    width = where.right - where.left;
    height = MulDiv(picture.height(), width, picture.width());
  }
  RECT target{where.left, where.top, where.left + width, where.top + height};
  picture.draw(dc, target);
}

HWND createPictureWindow(HINSTANCE instance, HWND parent, Artwork artwork) {
  WNDCLASSEXA known{};
  known.cbSize = sizeof(known);
  if (!GetClassInfoExA(instance, "TracesweepPicture", &known)) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = pictureProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "TracesweepPicture";
    RegisterClassExA(&wc);
  }
  HWND window = CreateWindowExA(0, "TracesweepPicture", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                parent, nullptr, instance, nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(artwork));
  return window;
}

void fillGradient(HDC dc, const RECT& where, COLORREF from, COLORREF to) {
  TRIVERTEX ends[2] = {};
  ends[0].x = where.left;
  ends[0].y = where.top;
  ends[0].Red = static_cast<COLOR16>(GetRValue(from) << 8);
  ends[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
  ends[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
  ends[1].x = where.right;
  ends[1].y = where.bottom;
  ends[1].Red = static_cast<COLOR16>(GetRValue(to) << 8);
  ends[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
  ends[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
  GRADIENT_RECT rect{0, 1};
  GradientFill(dc, ends, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

}  // namespace view_win32

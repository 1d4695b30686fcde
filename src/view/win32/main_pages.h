// The six pages of the main window: each builds its controls on its page and
// returns how to lay them out in the page's client area.
#pragma once

#include <functional>

#include "view/win32/form_window.h"

namespace app {
class frmmain;
class FreeSpaceAction;
}  // namespace app
namespace traces {
class CookiesPage;
class CachePage;
class HistoryPage;
}  // namespace traces
namespace erasure {
class WipePage;
}

namespace view_win32 {

using PageLayout = std::function<void(int width, int height)>;

struct AboutFonts {
  HFONT title = nullptr;
  HFONT small = nullptr;
};

PageLayout buildGeneralPage(FormWindow& window, HWND page, app::frmmain& f);
PageLayout buildCookiesPage(FormWindow& window, HWND page, traces::CookiesPage& p);
PageLayout buildCachePage(FormWindow& window, HWND page, traces::CachePage& p);
PageLayout buildHistoryPage(FormWindow& window, HWND page, traces::HistoryPage& p);
// The Secure Wipe page, with "Wipe free space..." at the left of its buttons.
PageLayout buildWipePage(FormWindow& window, HWND page, erasure::WipePage& p,
                         app::FreeSpaceAction& freeSpace);
// The About page's title and warning have fonts of their own, which the
// window owns and renews when the DPI changes.
PageLayout buildAboutPage(FormWindow& window, HWND page, app::frmmain& f, const AboutFonts& fonts);

// Helpers the pages share.
void place(HWND window, int x, int y, int width, int height);
// The height of the text wrapped to the width, in the window's font.
int wrappedHeight(HWND window, HFONT font, const std::string& text, int width);

}  // namespace view_win32

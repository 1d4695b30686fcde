#include <algorithm>

#include "app/frmmain.h"
#include "view/win32/main_pages.h"
#include "view/win32/pictures.h"
#include "view/win32/simple_bindings.h"
#include "view/win32/win32_window_manager.h"

namespace view_win32 {

PageLayout buildAboutPage(FormWindow& w, HWND page, app::frmmain& f, const AboutFonts& fonts) {
  HWND picture = createPictureWindow(w.manager().instance(), page, Artwork::About);
  w.bind<PlainBinding>(f.Picture2, picture);
  HWND name = w.bind<LabelBinding>(f.lblappname, page).window();
  HWND info = w.bind<LabelBinding>(f.lblproginfo, page).window();
  HWND address = w.bind<LabelBinding>(f.lbladdress, page).window();
  HWND line = w.createChild(page, "STATIC", "", SS_ETCHEDHORZ);
  w.bind<PlainBinding>(f.Line1, line);
  LinkBinding* url = &w.bind<LinkBinding>(f.lblurl, page, [&f] { f.lblurl_Click(); });
  HWND warning = w.bind<LabelBinding>(f.lblwarning, page).window();
  ButtonBinding* updates =
      &w.bind<ButtonBinding>(f.cmdcheckForUpdates, page, [&f] { f.cmdcheckForUpdates_Click(); });

  return [&w, &f, &fonts, picture, name, info, address, line, url, warning, updates](int width,
                                                                                     int height) {
    SendMessageA(name, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.title), FALSE);
    SendMessageA(warning, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.small), FALSE);
    int margin = w.px(12);
    int pictureWidth = w.px(120);
    int pictureHeight = w.px(160);
    place(picture, margin, margin, pictureWidth, pictureHeight);

    int left = margin + pictureWidth + w.px(18);
    int columnWidth = std::max(width - left - margin, 1);
    int y = margin;
    int nameHeight = lineHeight(fonts.title);
    place(name, left, y, columnWidth, nameHeight);
    y += nameHeight + w.px(10);
    int infoHeight = wrappedHeight(info, w.font(), f.lblproginfo.Caption(), columnWidth);
    place(info, left, y, columnWidth, infoHeight);
    y += infoHeight + w.px(10);
    int addressHeight = wrappedHeight(address, w.font(), f.lbladdress.Caption(), columnWidth);
    place(address, left, y, columnWidth, addressHeight);
    y += addressHeight + w.px(10);

    y = std::max(y, margin + pictureHeight + w.px(10));
    place(line, margin, y, width - 2 * margin, 2);
    y += w.px(10);
    place(url->window(), left, y, std::min(url->preferredWidth(), columnWidth),
          lineHeight(w.font()) + w.px(2));
    y += lineHeight(w.font()) + w.px(12);
    int warningHeight =
        wrappedHeight(warning, fonts.small, f.lblwarning.Caption(), width - 2 * margin);
    place(warning, margin, y, width - 2 * margin, warningHeight);

    int buttonWidth = updates->preferredWidth();
    int buttonHeight = w.px(25);
    place(updates->window(), width - margin - buttonWidth, height - margin - buttonHeight,
          buttonWidth, buttonHeight);
  };
}

}  // namespace view_win32

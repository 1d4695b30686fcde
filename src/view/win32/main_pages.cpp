#include "view/win32/main_pages.h"

#include <algorithm>
#include <vector>

#include "app/frmmain.h"
#include "view/win32/list_bindings.h"
#include "view/win32/simple_bindings.h"

namespace view_win32 {
namespace {

// The metrics every page uses, at the window's DPI.
struct Metrics {
  explicit Metrics(FormWindow& w)
      : margin(w.px(8)),
        inset(w.px(12)),
        caption(w.px(22)),
        button(w.px(25)),
        edit(w.px(23)),
        check(w.px(20)),
        gap(w.px(6)),
        text(lineHeight(w.font())) {}
  int margin, inset, caption, button, edit, check, gap, text;
};

// A frame filling the page, and the area inside it.
struct Inside {
  int left, top, right, bottom;
};

Inside placeFrame(FormWindow& w, HWND frame, int x, int y, int width, int height) {
  Metrics m(w);
  place(frame, x, y, width, height);
  return {x + m.inset, y + m.caption, x + width - m.inset, y + height - m.inset};
}

// Buttons from the right edge leftwards, each as wide as its caption needs.
int placeButtonsRight(const std::vector<ButtonBinding*>& buttons, int right, int y, int height,
                      int gap) {
  for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
    int width = (*it)->preferredWidth();
    right -= width;
    place((*it)->window(), right, y, width, height);
    right -= gap;
  }
  return right;
}

int placeButtonsLeft(const std::vector<ButtonBinding*>& buttons, int left, int y, int height,
                     int gap) {
  for (ButtonBinding* button : buttons) {
    int width = button->preferredWidth();
    place(button->window(), left, y, width, height);
    left += width + gap;
  }
  return left;
}

}  // namespace

void place(HWND window, int x, int y, int width, int height) {
  SetWindowPos(window, nullptr, x, y, std::max(width, 0), std::max(height, 0),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

int wrappedHeight(HWND window, HFONT font, const std::string& text, int width) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  RECT area{0, 0, std::max(width, 1), 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return area.bottom - area.top;
}

PageLayout buildGeneralPage(FormWindow& w, HWND page, app::frmmain& f) {
  HWND general = w.bind<FrameBinding>(f.Frame1, page).window();
  std::vector<HWND> left;
  for (forms::CheckBox* box :
       {&f.chkautostart, &f.chkdelOnStart, &f.chkDelOnShutDown, &f.Chkautoclearcookies,
        &f.ChkAutoClearCache, &f.ChkAutoClearHistory})
    left.push_back(w.bind<CheckBoxBinding>(*box, page).window());
  HWND misc = w.bind<FrameBinding>(f.Frame5, page).window();
  std::vector<HWND> right = {
      w.bind<CheckBoxBinding>(f.chkEmptyRecycleBin, page, [&f] { f.chkEmptyRecycleBin_Click(); })
          .window(),
      w.bind<CheckBoxBinding>(f.chkdeltempfiles, page, [&f] {
         f.chkdeltempfiles_Click();
       }).window()};

  return [&w, general, misc, left, right](int width, int height) {
    Metrics m(w);
    int leftWidth = (width - 3 * m.margin) * 3 / 5;
    int rightWidth = width - 3 * m.margin - leftWidth;
    int frameHeight = height - 2 * m.margin;
    auto stack = [&](HWND frame, int x, int frameWidth, const std::vector<HWND>& boxes) {
      Inside in = placeFrame(w, frame, x, m.margin, frameWidth, frameHeight);
      int y = in.top + m.gap;
      for (HWND box : boxes) {
        place(box, in.left, y, in.right - in.left, m.check);
        y += m.check + w.px(8);
      }
    };
    stack(general, m.margin, leftWidth, left);
    stack(misc, 2 * m.margin + leftWidth, rightWidth, right);
  };
}

PageLayout buildCookiesPage(FormWindow& w, HWND page, traces::CookiesPage& p) {
  HWND frame = w.bind<FrameBinding>(p.Frame2, page).window();
  HWND dirLabel = w.bind<LabelBinding>(p.lblCookieDir, page).window();
  // Shows where the cookies are; not a choice.
  HWND dir = w.bind<TextBinding>(p.txtCookieDir, page, true).window();
  HWND listLabel = w.bind<LabelBinding>(p.lblCookies, page).window();
  HWND list = w.bind<ListViewBinding>(p.lstcookies, page).window();
  std::vector<ButtonBinding*> left = {
      &w.bind<ButtonBinding>(p.cmdselectallcookies, page, [&p] { p.cmdselectallcookies_Click(); }),
      &w.bind<ButtonBinding>(p.cmdselectnocookies, page, [&p] { p.cmdselectnocookies_Click(); }),
      &w.bind<ButtonBinding>(p.cmdinvertcookiesselection, page,
                             [&p] { p.cmdinvertcookiesselection_Click(); })};
  std::vector<ButtonBinding*> right = {
      &w.bind<ButtonBinding>(p.cmddelcookies, page, [&p] { p.cmddelcookies_Click(); })};
  // The sites to keep, beside the cookies they keep, with their buttons
  // stacked under them.
  HWND keptLabel = w.bind<LabelBinding>(p.lblKeptSites, page).window();
  HWND kept = w.bind<ListBoxBinding>(p.lstkeptsites, page).window();
  std::vector<ButtonBinding*> keptButtons = {
      &w.bind<ButtonBinding>(p.cmdkeepcookies, page, [&p] { p.cmdkeepcookies_Click(); }),
      &w.bind<ButtonBinding>(p.cmdunkeepsites, page, [&p] { p.cmdunkeepsites_Click(); }),
      &w.bind<ButtonBinding>(p.cmdimportkeptsites, page, [&p] { p.cmdimportkeptsites_Click(); })};

  return [&w, &p, frame, dirLabel, dir, listLabel, list, left, right, keptLabel, kept, keptButtons](
             int width, int height) {
    Metrics m(w);
    Inside in =
        placeFrame(w, frame, m.margin, m.margin, width - 2 * m.margin, height - 2 * m.margin);
    int labelWidth = textWidth(w.font(), p.lblCookieDir.Caption().c_str()) + w.px(4);
    int y = in.top + m.gap;
    place(dirLabel, in.left, y + (m.edit - m.text) / 2, labelWidth, m.text);
    place(dir, in.left + labelWidth + m.gap, y, in.right - in.left - labelWidth - m.gap, m.edit);
    y += m.edit + m.gap + w.px(2);
    // A quarter of the width for the kept sites, at least their widest button.
    int keptWidth = (in.right - in.left) / 4;
    for (ButtonBinding* button : keptButtons)
      keptWidth = std::max(keptWidth, button->preferredWidth());
    int keptLeft = in.right - keptWidth;
    int listRight = keptLeft - m.margin;
    place(listLabel, in.left, y, listRight - in.left, m.text);
    place(keptLabel, keptLeft, y, keptWidth, m.text);
    y += m.text + w.px(3);
    int buttons = in.bottom - m.button;
    place(list, in.left, y, listRight - in.left, buttons - m.gap - y);
    int stacked = buttons - m.gap - static_cast<int>(keptButtons.size()) * (m.button + m.gap);
    place(kept, keptLeft, y, keptWidth, stacked - y);
    for (ButtonBinding* button : keptButtons) {
      stacked += m.gap;
      place(button->window(), keptLeft, stacked, keptWidth, m.button);
      stacked += m.button;
    }
    placeButtonsLeft(left, in.left, buttons, m.button, m.gap);
    placeButtonsRight(right, in.right, buttons, m.button, m.gap);
  };
}

PageLayout buildCachePage(FormWindow& w, HWND page, traces::CachePage& p) {
  HWND frame = w.bind<FrameBinding>(p.Frame3, page).window();
  HWND list = w.bind<ListBoxBinding>(p.List1, page).window();
  HWND passwords = w.bind<CheckBoxBinding>(p.chkDelCachedPasswords, page).window();
  std::vector<ButtonBinding*> right = {
      &w.bind<ButtonBinding>(p.cmdinvertcachesel, page, [&p] { p.cmdinvertcachesel_Click(); }),
      &w.bind<ButtonBinding>(p.cmdDelSelFromCache, page, [&p] { p.cmdDelSelFromCache_Click(); }),
      &w.bind<ButtonBinding>(p.cmdDelAllFromCache, page, [&p] { p.cmdDelAllFromCache_Click(); })};

  return [&w, &p, frame, list, passwords, right](int width, int height) {
    Metrics m(w);
    Inside in =
        placeFrame(w, frame, m.margin, m.margin, width - 2 * m.margin, height - 2 * m.margin);
    int buttons = in.bottom - m.button;
    place(list, in.left, in.top + m.gap, in.right - in.left, buttons - m.gap - in.top - m.gap);
    int firstButton = placeButtonsRight(right, in.right, buttons, m.button, m.gap);
    int boxWidth = textWidth(w.font(), p.chkDelCachedPasswords.Caption().c_str()) + w.px(24);
    place(passwords, in.left, buttons + (m.button - m.check) / 2,
          std::min(boxWidth, firstButton - in.left), m.check);
  };
}

PageLayout buildHistoryPage(FormWindow& w, HWND page, traces::HistoryPage& p) {
  HWND frame = w.bind<FrameBinding>(p.Frame4, page).window();
  HWND list = w.bind<ListViewBinding>(p.URLs, page, [&p](int position) {
                 p.URLs_ColumnClick(position);
               }).window();
  std::vector<ButtonBinding*> right = {
      &w.bind<ButtonBinding>(p.cmdClearHistory, page, [&p] { p.cmdClearHistory_Click(); })};

  return [&w, frame, list, right](int width, int height) {
    Metrics m(w);
    Inside in =
        placeFrame(w, frame, m.margin, m.margin, width - 2 * m.margin, height - 2 * m.margin);
    int buttons = in.bottom - m.button;
    place(list, in.left, in.top + m.gap, in.right - in.left, buttons - m.gap - in.top - m.gap);
    placeButtonsRight(right, in.right, buttons, m.button, m.gap);
  };
}

PageLayout buildWipePage(FormWindow& w, HWND page, erasure::WipePage& p,
                         app::FreeSpaceAction& freeSpace) {
  HWND frame = w.bind<FrameBinding>(p.Frame6, page).window();
  HWND secureForAll = w.bind<CheckBoxBinding>(p.chkSecureForAll, page).window();
  struct Row {
    HWND frame, label, text;
    ButtonBinding* browse;
  };
  auto row = [&w, page](forms::Frame& box, forms::Label& caption, forms::TextBox& text,
                        forms::CommandButton& browse, Handler onBrowse) {
    Row made{};
    made.frame = w.bind<FrameBinding>(box, page).window();
    made.label = w.bind<LabelBinding>(caption, page).window();
    made.text = w.bind<TextBinding>(text, page).window();
    made.browse = &w.bind<ButtonBinding>(browse, page, std::move(onBrowse));
    return made;
  };
  Row folder = row(p.Framefolder, p.lblFolder, p.txtFolderToWipe, p.cmdBrowseForFolder,
                   [&p] { p.cmdBrowseForFolder_Click(); });
  Row file = row(p.Framefile, p.lblFile, p.txtFileToWipe, p.cmdBrowseForFile,
                 [&p] { p.cmdBrowseForFile_Click(); });
  HWND level = w.bind<FrameBinding>(p.Frame9, page).window();
  HWND quick =
      w.bind<OptionBinding>(p.optQuick, page, true, std::vector<forms::OptionButton*>{&p.optDOD})
          .window();
  HWND dod =
      w.bind<OptionBinding>(p.optDOD, page, false, std::vector<forms::OptionButton*>{&p.optQuick})
          .window();
  // Made before "&Wipe", so that Tab meets the buttons from left to right.
  std::vector<ButtonBinding*> wipeFreeSpace = {&w.bind<ButtonBinding>(
      freeSpace.cmdWipeFreeSpace, page, [&freeSpace] { freeSpace.cmdWipeFreeSpace_Click(); })};
  std::vector<ButtonBinding*> wipe = {
      &w.bind<ButtonBinding>(p.cmdWipe, page, [&p] { p.cmdWipe_Click(); })};

  return [&w, &p, frame, secureForAll, folder, file, level, quick, dod, wipeFreeSpace, wipe](
             int width, int height) {
    Metrics m(w);
    Inside in =
        placeFrame(w, frame, m.margin, m.margin, width - 2 * m.margin, height - 2 * m.margin);
    int y = in.top + m.gap;
    place(secureForAll, in.left, y, in.right - in.left, m.check);
    y += m.check + m.margin;
    // The two labels share one width so the path boxes line up.
    int labelWidth = std::max(textWidth(w.font(), p.lblFolder.Caption().c_str()),
                              textWidth(w.font(), p.lblFile.Caption().c_str())) +
                     w.px(6);
    int rowHeight = m.caption + m.edit + m.inset;
    for (const Row& r : {folder, file}) {
      Inside box = placeFrame(w, r.frame, in.left, y, in.right - in.left, rowHeight);
      int browseWidth = r.browse->preferredWidth();
      int rowTop = box.top + w.px(1);
      place(r.label, box.left, rowTop + (m.edit - m.text) / 2, labelWidth, m.text);
      place(r.text, box.left + labelWidth, rowTop,
            box.right - box.left - labelWidth - browseWidth - m.gap, m.edit);
      place(r.browse->window(), box.right - browseWidth, rowTop - 1, browseWidth, m.edit + 2);
      y += rowHeight + m.gap;
    }
    Inside options =
        placeFrame(w, level, in.left, y, in.right - in.left, m.caption + m.check + m.inset);
    int half = (options.right - options.left) / 2;
    place(quick, options.left, options.top, half - m.gap, m.check);
    place(dod, options.left + half, options.top, half, m.check);
    placeButtonsLeft(wipeFreeSpace, in.left, in.bottom - m.button, m.button, m.gap);
    placeButtonsRight(wipe, in.right, in.bottom - m.button, m.button, m.gap);
  };
}

}  // namespace view_win32

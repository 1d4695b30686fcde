#include "view/win32/status_bar_binding.h"

#include <algorithm>
#include <limits>
#include <string>

#include "view/win32/form_window.h"
#include "view/win32/win32_window_manager.h"

namespace view_win32 {
namespace {

constexpr DWORD kPaintIntervalMs = 50;
constexpr int kProgressWidth = 180;

std::string timeOfDay() {
  char text[64] = {};
  if (!GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, text, sizeof text))
    return {};
  return text;
}

}  // namespace

StatusBarBinding::StatusBarBinding(FormWindow& owner, forms::StatusBar& sbar, HWND parent)
    : Binding(owner, sbar, owner.createChild(parent, STATUSCLASSNAMEA, "", SBARS_SIZEGRIP)),
      sbar_(sbar) {
  progress_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, window(),
                              nullptr, owner.manager().instance(), nullptr);
  tick();
  sync();
}

int StatusBarBinding::layOut() {
  SendMessageA(window(), WM_SIZE, 0, 0);
  RECT bar{};
  GetClientRect(window(), &bar);
  int width = bar.right - bar.left;
  int clock = textWidth(owner().font(), "00:00 PM") + owner().px(24);
  int progress = owner().px(kProgressWidth);
  int edges[3] = {std::max(0, width - clock - progress), std::max(0, width - clock), -1};
  SendMessageA(window(), SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  RECT part{};
  SendMessageA(window(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
  InflateRect(&part, -owner().px(2), -owner().px(2));
  MoveWindow(progress_, part.left, part.top, part.right - part.left, part.bottom - part.top, TRUE);
  sync();  // the texts of parts that did not exist before
  RECT frame{};
  GetWindowRect(window(), &frame);
  return frame.bottom - frame.top;
}

void StatusBarBinding::tick() {
  if (!attached() || sbar_.PanelCount() < 2) return;
  std::string now = timeOfDay();
  if (sbar_.PanelText(2) != now) sbar_.setPanelText(2, now);
}

void StatusBarBinding::pull() {
  Binding::pull();
  SendMessageA(window(), SB_SETTEXTA, 0 | SBT_NOBORDERS,
               reinterpret_cast<LPARAM>(sbar_.PanelText(1).c_str()));
  if (sbar_.PanelCount() >= 2)
    SendMessageA(window(), SB_SETTEXTA, 2, reinterpret_cast<LPARAM>(sbar_.PanelText(2).c_str()));
  std::int64_t max = sbar_.ProgressMax();
  if (max <= 0) {
    ShowWindow(progress_, SW_HIDE);
    return;
  }
  // The progress bar counts in int; scale very large counts.
  std::int64_t scale = max / std::numeric_limits<int>::max() + 1;
  std::int64_t value = std::clamp<std::int64_t>(sbar_.ProgressValue(), 0, max);
  SendMessageA(progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(max / scale));
  SendMessageA(progress_, PBM_SETPOS, static_cast<WPARAM>(value / scale), 0);
  ShowWindow(progress_, SW_SHOWNA);
}

void StatusBarBinding::modelChanged() {
  sync();
  if (GetTickCount() - painted_ >= kPaintIntervalMs) paintNow();
}

void StatusBarBinding::repaintNow() {
  sync();
  paintNow();
}

void StatusBarBinding::paintNow() {
  painted_ = GetTickCount();
  if (!IsWindowVisible(window())) return;
  RedrawWindow(window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  showPainted();
}

}  // namespace view_win32

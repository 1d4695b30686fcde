#include "view/win32/win32_dialogs.h"

#include <vector>

#include "view/win32/win32_headers.h"
#include "view/win32/win32_window_manager.h"

namespace view_win32 {
namespace {

// Long paths fit: the dialog's own limit, not MAX_PATH.
constexpr DWORD kPathBuffer = 32768;

HWND ownerOf(Win32WindowManager& windows, forms::Form* owner) {
  if (owner)
    if (FormWindow* window = windows.windowOf(*owner)) return window->hwnd();
  return windows.ownerWindow();
}

int CALLBACK browseCallback(HWND picker, UINT message, LPARAM /*param*/, LPARAM data) {
  const auto* initial = reinterpret_cast<const std::string*>(data);
  if (message == BFFM_INITIALIZED && initial && !initial->empty())
    SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initial->c_str()));
  return 0;
}

}  // namespace

std::string toDialogFilter(const std::string& filter) {
  std::string out = filter;
  for (char& c : out)
    if (c == '|') c = '\0';
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

// Links are not resolved: the path given back is the one the user picked, and
// the wipe never follows a link to its target.
std::string Win32Dialogs::openFile(const std::string& filter, forms::Form* owner) {
  std::string filters = toDialogFilter(filter);
  std::vector<char> path(kPathBuffer, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = ownerOf(windows_, owner);
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathBuffer;
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                 OFN_NODEREFERENCELINKS | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&dialog)) return {};
  return std::string(path.data());
}

std::string Win32Dialogs::browseForFolder(const std::string& initialFolder,
                                          const std::string& prompt, forms::Form* owner) {
  std::vector<char> displayName(MAX_PATH, '\0');
  BROWSEINFOA info{};
  info.hwndOwner = ownerOf(windows_, owner);
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = displayName.data();
  info.lpszTitle = prompt.empty() ? nullptr : prompt.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = browseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&initialFolder);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  if (!chosen) return {};
  std::vector<char> path(MAX_PATH, '\0');
  std::string result;
  if (SHGetPathFromIDListA(chosen, path.data())) result = path.data();
  CoTaskMemFree(chosen);
  return result;
}

}  // namespace view_win32

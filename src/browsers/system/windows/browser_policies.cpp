// The browsers' policies on Windows: Group Policy keeps them in the
// registry, under SOFTWARE\Policies of the machine and of the user, a list
// as values "1", "2" ... of a key; Firefox also reads policies.json from its
// installation's distribution folder.
#include "browsers/profiles/browser_policies.h"

#include <string_view>

#include "platform/paths.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace browsers {

namespace {

using platform::windows_os::fromWide;

struct PolicyList {
  const char* browser;
  const wchar_t* key;  // below SOFTWARE\Policies
};

const PolicyList kLists[] = {
    {"Firefox", L"Mozilla\\Firefox\\Cookies\\Allow"},
    {"Google Chrome", L"Google\\Chrome\\CookiesAllowedForUrls"},
    {"Chromium", L"Chromium\\CookiesAllowedForUrls"},
    {"Microsoft Edge", L"Microsoft\\Edge\\CookiesAllowedForUrls"},
    {"Brave", L"BraveSoftware\\Brave\\CookiesAllowedForUrls"},
};

// The text values of a key, added to names; false when the key is there
// but cannot be read.
bool addValues(HKEY root, const std::wstring& path, std::vector<std::string>& names) {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND || opened == ERROR_PATH_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  bool ok = true;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, size = 0;
    LONG result = RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
      ok = false;
      break;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD dataSize = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    nameLength = 256;
    result = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                           reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (result != ERROR_SUCCESS) {
      ok = false;
      continue;
    }
    const std::string text = fromWide(data.c_str());
    if (!text.empty()) names.push_back(text);
  }
  RegCloseKey(key);
  return ok;
}

std::string environment(const wchar_t* variable) {
  std::wstring value(32767, L'\0');
  const DWORD length =
      GetEnvironmentVariableW(variable, value.data(), static_cast<DWORD>(value.size()));
  return length > 0 && length < value.size() ? fromWide(value.c_str()) : std::string();
}

}  // namespace

std::vector<PolicyFile> browserPolicyFiles(const std::string& systemRoot) {
  std::vector<PolicyFile> files;
  for (const wchar_t* variable : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
    std::string folder = environment(variable);
    if (folder.empty()) continue;
    if (!systemRoot.empty()) folder = platform::joinPath(systemRoot, folder.substr(3));
    const std::string path =
        platform::joinPath(folder, "Mozilla Firefox\\distribution\\policies.json");
    bool known = false;
    for (const PolicyFile& file : files) known = known || file.path == path;
    if (!known) files.push_back({"firefox", BrowserFamily::Firefox, path});
  }
  return files;
}

PolicyNames systemPolicyAllowedSites() {
  PolicyNames found;
  for (const PolicyList& list : kLists) {
    const std::wstring path = std::wstring(L"SOFTWARE\\Policies\\") + list.key;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      if (!addValues(root, path, found.names))
        found.problems.push_back(std::string("the policies of ") + list.browser + " (" +
                                 (root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU") +
                                 "\\SOFTWARE\\Policies\\" + fromWide(list.key) +
                                 ") could not be read");
  }
  return found;
}

}  // namespace browsers

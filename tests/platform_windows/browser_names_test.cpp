// What the browser module takes from Windows itself: international names in
// their ASCII form (IdnToAscii), and the sites the registry's policies allow
// to keep cookies.
#include <gtest/gtest.h>

#include <algorithm>

#include "browsers/cookies/ascii_host_name.h"
#include "browsers/profiles/browser_policies.h"
#include "platform/windows/win32.h"

namespace {

TEST(WindowsNames, InternationalNamesTakeTheirAsciiForm) {
  EXPECT_EQ(browsers::asciiHostName("bücher.de"), "xn--bcher-kva.de");
  EXPECT_EQ(browsers::asciiHostName("BÜCHER.de"), "xn--bcher-kva.de");
  EXPECT_EQ(browsers::asciiHostName("мвд.рф"), "xn--b1aew.xn--p1ai");
  EXPECT_FALSE(browsers::asciiHostName(""));
}

// The user's policy key of Chrome, as Group Policy writes a list: values
// "1", "2" ... each a pattern.
TEST(WindowsNames, SitesThePoliciesAllowAreRead) {
  const wchar_t* kKey = L"SOFTWARE\\Policies\\Google\\Chrome\\CookiesAllowedForUrls";
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  const std::wstring first = L"[*.]policy-allowed.test", second = L"https://intranet.test:443";
  RegSetValueExW(key, L"1", 0, REG_SZ, reinterpret_cast<const BYTE*>(first.c_str()),
                 static_cast<DWORD>((first.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(key, L"2", 0, REG_SZ, reinterpret_cast<const BYTE*>(second.c_str()),
                 static_cast<DWORD>((second.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  const browsers::PolicyNames found = browsers::systemPolicyAllowedSites();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Policies\\Google\\Chrome");
  auto has = [&found](const std::string& name) {
    return std::find(found.names.begin(), found.names.end(), name) != found.names.end();
  };
  EXPECT_TRUE(has("[*.]policy-allowed.test"));
  EXPECT_TRUE(has("https://intranet.test:443"));
  EXPECT_TRUE(found.problems.empty());
}

}  // namespace

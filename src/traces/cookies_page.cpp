#include "traces/cookies_page.h"

namespace traces {

CookiesPage::CookiesPage(platform::Platform& platform, forms::PageHost host, bool& showIndexDat,
                         const forms::CheckBox& secureForAll)
    : platform_(platform), host_(host), showIndexDat_(showIndexDat), secureForAll_(secureForAll) {
  lstcookies.ColumnHeaders() = {{"Cookie Name", 0}, {"Cookie Path", 0}};
}

void CookiesPage::loadCookiesList() {}
void CookiesPage::EnumCookies(const std::string&) {}
void CookiesPage::deletecookies(bool) {}
void CookiesPage::cmddelcookies_Click() {}
void CookiesPage::cmdselectallcookies_Click() {}
void CookiesPage::cmdselectnocookies_Click() {}
void CookiesPage::cmdinvertcookiesselection_Click() {}

}  // namespace traces

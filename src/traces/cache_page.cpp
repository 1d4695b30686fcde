#include "traces/cache_page.h"

namespace traces {

CachePage::CachePage(platform::Platform& platform, forms::PageHost host)
    : platform_(platform), host_(host) {}

void CachePage::GetCacheURLList() {}
void CachePage::loadCacheContents() { GetCacheURLList(); }
std::string CachePage::GetStrFromPtrA(const char* address) { return address ? address : ""; }
void CachePage::deletecache() {}
void CachePage::invertsel() {}
void CachePage::cmdDelSelFromCache_Click() {}
void CachePage::cmdDelAllFromCache_Click() {}
void CachePage::cmdinvertcachesel_Click() { invertsel(); }

}  // namespace traces

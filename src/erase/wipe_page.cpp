#include "erase/wipe_page.h"

namespace erasure {

WipePage::WipePage(platform::Platform& platform, forms::PageHost host, FileList& fileList)
    : platform_(platform), host_(host), fileList_(fileList) {}

void WipePage::cmdWipe_Click() {}
void WipePage::wipeOut() {}
void WipePage::cmdBrowseForFile_Click() {}
void WipePage::cmdBrowseForFolder_Click() {}

}  // namespace erasure

// The pages of the main window's tab control, each built from its models.
#pragma once

class QWidget;

namespace app {
class frmmain;
class FreeSpaceAction;
}  // namespace app
namespace erasure {
class WipePage;
}
namespace traces {
class CookiesPage;
class CachePage;
class HistoryPage;
}  // namespace traces

namespace view_qt {

QWidget* buildGeneralPage(app::frmmain& main);
QWidget* buildCookiesPage(traces::CookiesPage& page);
QWidget* buildCachePage(traces::CachePage& page);
QWidget* buildHistoryPage(traces::HistoryPage& page);
QWidget* buildWipePage(erasure::WipePage& page, app::FreeSpaceAction& freeSpace);
QWidget* buildAboutPage(app::frmmain& main);

}  // namespace view_qt

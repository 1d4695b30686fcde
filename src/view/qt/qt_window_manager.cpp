#include "view/qt/qt_window_manager.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QTimer>
#include <QWindow>

#include "app/frmmain.h"
#include "app/small_forms.h"
#include "view/qt/main_window.h"
#include "view/qt/small_windows.h"

namespace view_qt {
namespace {

FormWindow* createWindow(forms::Form& form) {
  if (auto* main = dynamic_cast<app::frmmain*>(&form)) return new MainWindow(*main);
  if (auto* splash = dynamic_cast<app::frmSplash*>(&form)) return new SplashWindow(*splash);
  if (auto* cleanUp = dynamic_cast<app::frmCleanUp*>(&form)) return new CleanUpWindow(*cleanUp);
  return nullptr;  // the tray window is never visible
}

// The window system maps a window a moment after show(); work that runs
// without returning to the event loop would otherwise paint into nothing.
void waitUntilOnScreen(QPointer<FormWindow>& window) {
  QElapsedTimer waited;
  waited.start();
  while (window && window->windowHandle() && !window->windowHandle()->isExposed() &&
         waited.elapsed() < 500)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
  if (window) window->repaint();
}

}  // namespace

QtWindowManager::QtWindowManager() : QtWindowManager(Options{}) {}

QtWindowManager::QtWindowManager(Options options) : options_(options) {}

QtWindowManager::~QtWindowManager() {
  unloadAll();
}

void QtWindowManager::load(forms::Form& form) {
  FormWindow* window = createWindow(form);
  windows_[&form] = window;
  if (window) window->setActivationHandler([this, window] { activated(*window); });
}

FormWindow* QtWindowManager::windowOf(const forms::Form& form) const {
  auto it = windows_.find(&form);
  return it == windows_.end() ? nullptr : it->second.data();
}

void QtWindowManager::show(forms::Form& form) {
  if (!windows_.count(&form)) load(form);
  QPointer<FormWindow> window = windowOf(form);
  if (!window) return;
  if (!window->isVisible()) shownSince_[&form].start();
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->markShown();
  bool wasVisible = window->isVisible();
  window->show();
  window->raise();
  window->activateWindow();
  if (!wasVisible && window->paintsBeforeWork()) waitUntilOnScreen(window);
  if (!window) return;
  // Without a window manager no activation may ever come; the window then
  // counts as activated once it has been shown a moment.
  QPointer<FormWindow> guard(window);
  QTimer::singleShot(options_.activationFallbackMs, window.data(), [this, guard] {
    if (guard && guard->attached() && guard->isVisible() && !guard->activatedSinceShow())
      activated(*guard);
  });
}

// Form_Activate runs when the window becomes the program's active window: not
// again when it gets the focus back from a message box, a menu or another
// program.
void QtWindowManager::activated(FormWindow& window) {
  forms::Form& form = window.form();
  if (active_ == &form) return;
  active_ = &form;
  window.prepareActivation();
  form.Form_Activate();  // may unload the window
}

void QtWindowManager::unload(forms::Form& form) {
  auto it = windows_.find(&form);
  if (active_ == &form) active_ = nullptr;
  if (it == windows_.end()) return;
  QPointer<FormWindow> window = it->second;
  windows_.erase(it);
  int shownFor = shownSince_.count(&form) ? int(shownSince_[&form].elapsed()) : 0;
  shownSince_.erase(&form);
  if (!window) return;
  window->detachAll();
  // The splash lingers, detached, until it has been seen; it has no behaviour.
  int linger = 0;
  if (dynamic_cast<app::frmSplash*>(&form) && window->isVisible())
    linger = std::max(0, options_.splashMinimumMs - shownFor);
  if (linger > 0) {
    QTimer::singleShot(linger, window, [window] {
      if (window) window->deleteLater();
    });
    return;
  }
  window->hide();
  window->deleteLater();
}

void QtWindowManager::unloadAll() {
  for (auto& [form, window] : windows_) {
    if (!window) continue;
    window->detachAll();
    delete window.data();
  }
  windows_.clear();
  shownSince_.clear();
  active_ = nullptr;
}

void QtWindowManager::setTopmost(forms::Form& form) {
  FormWindow* window = windowOf(form);
  if (!window) return;
  window->setAttribute(Qt::WA_ShowWithoutActivating);
  // On the shown window's handle the hint applies in place; the widget's own
  // flag would hide and map the window again.
  if (window->isVisible() && window->windowHandle())
    window->windowHandle()->setFlag(Qt::WindowStaysOnTopHint, true);
  else
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void QtWindowManager::doEvents() {
  QCoreApplication::processEvents();
}

void QtWindowManager::popupMenu(const std::vector<forms::MenuItem*>& items) {
  QMenu menu;
  menu.setObjectName("popupMenu");
  std::map<QAction*, forms::MenuItem*> byAction;
  for (forms::MenuItem* item : items) {
    QAction* action = menu.addAction(QString::fromStdString(item->Caption()));
    action->setObjectName(QString::fromStdString(item->Name()));
    action->setEnabled(item->Enabled());
    byAction[action] = item;
  }
  QAction* chosen = menu.exec(QCursor::pos());
  if (!chosen) return;
  // A copy: the item's window may be unloaded while its handler runs.
  std::function<void()> onClick = byAction[chosen]->onClick;
  if (onClick) onClick();
}

void QtWindowManager::post(std::function<void()> task) {
  // Queued to the application object, which lives on the user-interface thread.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

void QtWindowManager::endProcess() {
  ended_ = true;
  QCoreApplication::exit(0);
}

}  // namespace view_qt

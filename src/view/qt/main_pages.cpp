#include "view/qt/main_pages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/frmmain.h"
#include "view/qt/list_bindings.h"
#include "view/qt/simple_bindings.h"

namespace view_qt {
namespace {

QGroupBox* frame(forms::Frame& model, QWidget* parent) {
  auto* box = new QGroupBox(parent);
  bindFrame(model, box);
  return box;
}

QCheckBox* checkBox(forms::CheckBox& model, QWidget* parent, Handler onClick = {}) {
  auto* box = new QCheckBox(parent);
  bindCheckBox(model, box, std::move(onClick));
  return box;
}

QPushButton* button(forms::CommandButton& model, QWidget* parent, Handler onClick) {
  auto* widget = new QPushButton(parent);
  bindButton(model, widget, std::move(onClick));
  return widget;
}

QLabel* label(forms::Label& model, QWidget* parent) {
  auto* widget = new QLabel(parent);
  bindLabel(model, widget);
  return widget;
}

// The name a screen reader announces, from the control's visible label:
// "Cookie Directory:" -> "Cookie Directory", "&Wipe" -> "Wipe".
void spokenAs(QWidget* widget, const std::string& label) {
  QString name = QString::fromStdString(label).remove(QLatin1Char('&')).trimmed();
  if (name.endsWith(QLatin1Char(':'))) name.chop(1);
  widget->setAccessibleName(name);
}

// A page holding one frame that fills it.
QWidget* framedPage(forms::Frame& model, QGroupBox** box) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  *box = frame(model, page);
  layout->addWidget(*box);
  return page;
}

QHBoxLayout* buttonRow(std::initializer_list<QWidget*> left,
                       std::initializer_list<QWidget*> right) {
  auto* row = new QHBoxLayout;
  for (QWidget* w : left) row->addWidget(w);
  row->addStretch(1);
  for (QWidget* w : right) row->addWidget(w);
  // Tab goes left to right, whatever order the buttons were made in.
  QWidget* previous = nullptr;
  for (auto group : {left, right})
    for (QWidget* w : group) {
      if (previous) QWidget::setTabOrder(previous, w);
      previous = w;
    }
  return row;
}

}  // namespace

QWidget* buildGeneralPage(app::frmmain& f) {
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);

  QGroupBox* general = frame(f.Frame1, page);
  auto* left = new QVBoxLayout(general);
  for (forms::CheckBox* box :
       {&f.chkautostart, &f.chkdelOnStart, &f.chkDelOnShutDown, &f.Chkautoclearcookies,
        &f.ChkAutoClearCache, &f.ChkAutoClearHistory})
    left->addWidget(checkBox(*box, general));

  QGroupBox* misc = frame(f.Frame5, page);
  auto* right = new QVBoxLayout(misc);
  right->addWidget(checkBox(f.chkEmptyRecycleBin, misc, [&f] { f.chkEmptyRecycleBin_Click(); }));
  right->addWidget(checkBox(f.chkdeltempfiles, misc, [&f] { f.chkdeltempfiles_Click(); }));

  // The less obvious boxes say what they do.
  general->findChild<QCheckBox*>("chkdelOnStart")
      ->setToolTip(
          QStringLiteral("When Tracesweep starts, clear the areas ticked below and on the right."));
  general->findChild<QCheckBox*>("chkDelOnShutDown")
      ->setToolTip(QStringLiteral(
          "When you end Tracesweep from its tray menu, clear the areas ticked below and on "
          "the right. Logging out does not clear anything."));

  // Each frame as tall as its boxes; the space left stays below them.
  layout->addWidget(general, 3, Qt::AlignTop);
  layout->addWidget(misc, 2, Qt::AlignTop);
  return page;
}

QWidget* buildCookiesPage(traces::CookiesPage& p) {
  QGroupBox* box = nullptr;
  QWidget* page = framedPage(p.Frame2, &box);
  auto* layout = new QGridLayout(box);

  auto* dir = new QLineEdit(box);
  dir->setReadOnly(true);  // shows where the cookies are; not a choice
  bindTextBox(p.txtCookieDir, dir);
  spokenAs(dir, p.lblCookieDir.Caption());
  QLabel* dirLabel = label(p.lblCookieDir, box);
  dirLabel->setBuddy(dir);
  layout->addWidget(dirLabel, 0, 0);
  layout->addWidget(dir, 0, 1, 1, 2);

  auto* list = new QTableView(box);
  bindListView(p.lstcookies, list);
  // A long path keeps its end (the file that holds the cookies) in sight.
  list->setTextElideMode(Qt::ElideMiddle);
  spokenAs(list, p.lblCookies.Caption());
  QLabel* listLabel = label(p.lblCookies, box);
  listLabel->setBuddy(list);
  layout->addWidget(listLabel, 1, 0, 1, 2);
  layout->addWidget(list, 2, 0, 1, 2);

  layout->addLayout(
      buttonRow(
          {button(p.cmdselectallcookies, box, [&p] { p.cmdselectallcookies_Click(); }),
           button(p.cmdselectnocookies, box, [&p] { p.cmdselectnocookies_Click(); }),
           button(p.cmdinvertcookiesselection, box, [&p] { p.cmdinvertcookiesselection_Click(); })},
          {button(p.cmddelcookies, box, [&p] { p.cmddelcookies_Click(); })}),
      3, 0, 1, 3);

  // The sites to keep, beside the cookies they keep, with their buttons
  // stacked under them.
  auto* kept = new QListView(box);
  bindListBox(p.lstkeptsites, kept);
  spokenAs(kept, p.lblKeptSites.Caption());
  QLabel* keptLabel = label(p.lblKeptSites, box);
  keptLabel->setBuddy(kept);
  layout->addWidget(keptLabel, 1, 2);
  auto* keptColumn = new QVBoxLayout;
  keptColumn->addWidget(kept, 1);
  for (QWidget* w : {button(p.cmdkeepcookies, box, [&p] { p.cmdkeepcookies_Click(); }),
                     button(p.cmdunkeepsites, box, [&p] { p.cmdunkeepsites_Click(); }),
                     button(p.cmdimportkeptsites, box, [&p] { p.cmdimportkeptsites_Click(); })})
    keptColumn->addWidget(w);
  layout->addLayout(keptColumn, 2, 2);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(1, 3);
  layout->setColumnStretch(2, 1);
  return page;
}

QWidget* buildCachePage(traces::CachePage& p) {
  QGroupBox* box = nullptr;
  QWidget* page = framedPage(p.Frame3, &box);
  auto* layout = new QVBoxLayout(box);

  // A flat tree view, for the list's columns (the URL, then its browser).
  auto* list = new QTreeView(box);
  bindListBox(p.List1, list);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  spokenAs(list, p.Frame3.Caption());
  layout->addWidget(list, 1);
  layout->addWidget(checkBox(p.chkDelCachedPasswords, box));
  layout->addLayout(
      buttonRow({button(p.cmdinvertcachesel, box, [&p] { p.cmdinvertcachesel_Click(); })},
                {button(p.cmdDelSelFromCache, box, [&p] { p.cmdDelSelFromCache_Click(); }),
                 button(p.cmdDelAllFromCache, box, [&p] { p.cmdDelAllFromCache_Click(); })}));
  return page;
}

QWidget* buildHistoryPage(traces::HistoryPage& p) {
  QGroupBox* box = nullptr;
  QWidget* page = framedPage(p.Frame4, &box);
  auto* layout = new QVBoxLayout(box);

  auto* list = new QTableView(box);
  bindListView(p.URLs, list, [&p](int position) { p.URLs_ColumnClick(position); });
  spokenAs(list, p.Frame4.Caption());
  layout->addWidget(list, 1);
  layout->addLayout(
      buttonRow({}, {button(p.cmdClearHistory, box, [&p] { p.cmdClearHistory_Click(); })}));
  return page;
}

QWidget* buildWipePage(erasure::WipePage& p, app::FreeSpaceAction& freeSpace) {
  QGroupBox* box = nullptr;
  QWidget* page = framedPage(p.Frame6, &box);
  auto* layout = new QVBoxLayout(box);
  QWidget* secureForAll = checkBox(p.chkSecureForAll, box);
  secureForAll->setToolTip(
      "When ticked, what the program clears is destroyed, not just removed: cache and trash "
      "files are overwritten once before they are deleted, and the browsers' cookie databases "
      "are rebuilt (vacuumed) after a deletion. Deleted cookies and history are always "
      "overwritten inside the databases (secure delete).");
  layout->addWidget(secureForAll);

  // One row per target: its label, its path and its browse button.
  auto pathFrame = [box](forms::Frame& model, forms::Label& caption, forms::TextBox& text,
                         forms::CommandButton& browse, Handler onBrowse) {
    QGroupBox* group = frame(model, box);
    spokenAs(group, model.Caption());
    auto* row = new QHBoxLayout(group);
    auto* edit = new QLineEdit(group);
    bindTextBox(text, edit);
    spokenAs(edit, model.Caption());
    QLabel* name = label(caption, group);
    name->setBuddy(edit);
    row->addWidget(name);
    row->addWidget(edit, 1);
    row->addWidget(button(browse, group, std::move(onBrowse)));
    return group;
  };
  QGroupBox* folder = pathFrame(p.Framefolder, p.lblFolder, p.txtFolderToWipe, p.cmdBrowseForFolder,
                                [&p] { p.cmdBrowseForFolder_Click(); });
  QGroupBox* file = pathFrame(p.Framefile, p.lblFile, p.txtFileToWipe, p.cmdBrowseForFile,
                              [&p] { p.cmdBrowseForFile_Click(); });
  folder->findChild<QPushButton*>()->setAccessibleName(QStringLiteral("Browse for a folder"));
  file->findChild<QPushButton*>()->setAccessibleName(QStringLiteral("Browse for a file"));
  // The two labels share one width so the path boxes line up.
  int labelWidth = std::max(folder->findChild<QLabel*>()->sizeHint().width(),
                            file->findChild<QLabel*>()->sizeHint().width());
  folder->findChild<QLabel*>()->setMinimumWidth(labelWidth);
  file->findChild<QLabel*>()->setMinimumWidth(labelWidth);
  layout->addWidget(folder);
  layout->addWidget(file);

  QGroupBox* level = frame(p.Frame9, box);
  spokenAs(level, p.Frame9.Caption());
  spokenAs(box, p.Frame6.Caption());
  auto* options = new QHBoxLayout(level);
  auto* quick = new QRadioButton(level);
  auto* dod = new QRadioButton(level);
  bindOption(p.optQuick, quick, {&p.optDOD});
  bindOption(p.optDOD, dod, {&p.optQuick});
  options->addWidget(quick);
  options->addStretch(1);
  options->addWidget(dod);
  options->addStretch(1);
  layout->addWidget(level);

  layout->addStretch(1);
  QPushButton* wipeFreeSpace =
      button(freeSpace.cmdWipeFreeSpace, box, [&freeSpace] { freeSpace.cmdWipeFreeSpace_Click(); });
  wipeFreeSpace->setToolTip(
      "Overwrites the free space of the drive that holds a folder you choose, so that files "
      "deleted earlier, by any program, cannot be recovered. Nothing that is stored on the drive "
      "is touched.");
  layout->addLayout(
      buttonRow({wipeFreeSpace}, {button(p.cmdWipe, box, [&p] { p.cmdWipe_Click(); })}));
  return page;
}

}  // namespace view_qt

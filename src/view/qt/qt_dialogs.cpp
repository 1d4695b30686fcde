#include "view/qt/qt_dialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "view/qt/qt_window_manager.h"

namespace view_qt {

QString toQtFilter(const std::string& filter) {
  QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // The description carries its patterns in brackets; Qt reads those.
    if (qsizetype open = description.lastIndexOf('('); open > 0 && description.endsWith(')'))
      description = description.left(open).trimmed();
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts))
      patterns << (pattern.trimmed() == "*.*" ? QStringLiteral("*") : pattern.trimmed());
    filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(' '));
  }
  return filters.join(QStringLiteral(";;"));
}

QString withoutMnemonics(const std::string& text) {
  QString in = QString::fromStdString(text);
  QString out;
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == '&' && i + 1 < in.size())
      ++i;
    else if (in[i] == '&')
      continue;
    out += in[i];
  }
  return out;
}

// Links are not resolved: the path given back is the one the user picked, and
// the wipe never follows a link to its target.
std::string QtDialogs::openFile(const std::string& filter, forms::Form* owner) {
  QWidget* parent = owner ? windows_.windowOf(*owner) : nullptr;
  return QFileDialog::getOpenFileName(parent, QString(), QString(), toQtFilter(filter), nullptr,
                                      QFileDialog::DontResolveSymlinks)
      .toStdString();
}

std::string QtDialogs::browseForFolder(const std::string& initialFolder, const std::string& prompt,
                                       forms::Form* owner) {
  QWidget* parent = owner ? windows_.windowOf(*owner) : nullptr;
  return QFileDialog::getExistingDirectory(
             parent, withoutMnemonics(prompt), QString::fromStdString(initialFolder),
             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks)
      .toStdString();
}

}  // namespace view_qt

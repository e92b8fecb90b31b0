#include "window/qt_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace geodata {

QStringList ToQtNameFilters(std::string_view filter) {
  const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                                .split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString suffix = QLatin1Char('(') + patterns + QLatin1Char(')');
    // Qt takes the patterns from a closing "(...)" and would read a trailing
    // space as part of a pattern.
    QString text = parts[i].trimmed();
    if (!text.endsWith(suffix)) text = (text.isEmpty() ? text : text + QLatin1Char(' ')) + suffix;
    filters << text;
  }
  return filters;
}

bool QtFileDialog::ShowOpen() {
  QFileDialog dialog(parent_, QStringLiteral("Open"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setIconProvider(&icons_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDirectory(folder_.isEmpty() ? QDir::currentPath() : folder_);
  dialog.setNameFilters(name_filters_);
  const int result = dialog.exec();
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const QString chosen = dialog.selectedFiles().constFirst();
  folder_ = QFileInfo(chosen).absolutePath();
  // The reader takes UTF-8 on every system, and the path is shown in messages
  // as the system writes paths.
  file_name_ = QDir::toNativeSeparators(chosen).toUtf8().toStdString();
  return true;
}

}  // namespace geodata

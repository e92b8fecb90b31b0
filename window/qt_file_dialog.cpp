#include "window/qt_file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStyle>

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

QIcon FileNameIconProvider::icon(IconType type) const {
  constexpr QStyle::StandardPixmap kKinds[] = {QStyle::SP_ComputerIcon, QStyle::SP_DriveHDIcon,
                                               QStyle::SP_DirIcon, QStyle::SP_FileIcon};
  std::call_once(made_, [this, &kKinds] {
    for (std::size_t n = 0; n < icons_.size(); ++n) icons_[n] = QApplication::style()->standardIcon(kKinds[n]);
  });
  switch (type) {
    case Computer:
      return icons_[0];
    case Drive:
      return icons_[1];
    case Folder:
      return icons_[2];
    default:
      return icons_[3];
  }
}

// Whether it is a folder comes from the file's status: nothing of a special
// file is read, though the status of a file on a share that stops answering
// waits as long as the share.
QIcon FileNameIconProvider::icon(const QFileInfo& info) const {
  return icon(info.isDir() ? Folder : File);
}

QString FileNameIconProvider::type(const QFileInfo& info) const {
  if (info.isDir()) return QStringLiteral("Folder");
  const QMimeType by_name = types_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
  if (by_name.isDefault()) {
    return info.suffix().isEmpty() ? QStringLiteral("File") : info.suffix().toUpper() + QStringLiteral(" File");
  }
  return by_name.comment();
}

}  // namespace geodata

#include "window/file_name_icon_provider.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>

namespace geodata {

QIcon FileNameIconProvider::icon(IconType type) const {
  switch (type) {
    case Computer:
      return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    case Drive:
      return QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    case Folder:
      return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    default:
      return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  }
}

// Whether it is a folder comes from the file's status, which never blocks.
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

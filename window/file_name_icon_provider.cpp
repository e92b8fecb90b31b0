#include "window/file_name_icon_provider.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>

namespace geodata {

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

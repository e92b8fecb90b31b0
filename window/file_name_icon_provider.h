// Icons and type names for the file dialog, taken from each file's name
// alone. Qt's own provider sniffs a file's contents to name its type, and a
// read of a special file (/proc/kmsg, say) can block the whole program.
#pragma once

#include <QAbstractFileIconProvider>
#include <QMimeDatabase>
#include <array>
#include <mutex>

namespace geodata {

class FileNameIconProvider final : public QAbstractFileIconProvider {
 public:
  QIcon icon(IconType type) const override;
  QIcon icon(const QFileInfo& info) const override;
  QString type(const QFileInfo& info) const override;

 private:
  QMimeDatabase types_;
  // Made at the first request and then shared: each standard icon loads its
  // pictures anew, and the dialog asks for one per file (47 MB for a folder
  // of 650 region files). The file system model asks from its own thread too.
  mutable std::once_flag made_;
  mutable std::array<QIcon, 4> icons_;
};

}  // namespace geodata

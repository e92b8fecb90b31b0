// Icons and type names for the file dialog, taken from each file's name
// alone. Qt's own provider sniffs a file's contents to name its type, and a
// read of a special file (/proc/kmsg, say) can block the whole program.
#pragma once

#include <QAbstractFileIconProvider>
#include <QMimeDatabase>

namespace geodata {

class FileNameIconProvider final : public QAbstractFileIconProvider {
 public:
  QIcon icon(IconType type) const override;
  QIcon icon(const QFileInfo& info) const override;
  QString type(const QFileInfo& info) const override;

 private:
  QMimeDatabase types_;
};

}  // namespace geodata

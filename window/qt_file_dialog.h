// The open-file dialog on Qt's QFileDialog, and the icons it shows.
#pragma once

#include <QAbstractFileIconProvider>
#include <QMimeDatabase>
#include <QString>
#include <QStringList>
#include <array>
#include <mutex>
#include <string>
#include <string_view>

#include "window/file_dialog.h"

class QWidget;

namespace geodata {

// Icons and type names for the file dialog, taken from each file's name
// alone. Qt's own provider sniffs a file's contents to name its type, and a
// read of a special file (/proc/kmsg, say) can block the whole program.
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

// "Description|pattern|..." as Qt's name filters: each shows its description
// and matches its patterns (";" separated).
QStringList ToQtNameFilters(std::string_view filter);

// Qt's own dialog on every desktop, since a platform dialog records recent
// files and this program writes nothing. A new one for each use: a dialog
// kept hidden keeps watching its folder and its parents, and lists the folder
// again and loads icons on every change there; made anew, it shows the folder
// as it is now, and what it keeps of earlier uses stops growing.
class QtFileDialog final : public FileDialog {
 public:
  explicit QtFileDialog(QWidget* parent) : parent_(parent) {}

  void Filter(std::string filter) override { name_filters_ = ToQtNameFilters(filter); }
  // Starts in the current folder, later in the folder of the last choice.
  bool ShowOpen() override;
  std::string FileName() const override { return file_name_; }

 private:
  QWidget* parent_;
  FileNameIconProvider icons_;
  QStringList name_filters_;
  QString folder_;
  std::string file_name_;
};

}  // namespace geodata

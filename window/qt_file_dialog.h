// The open-file dialog on Qt's QFileDialog.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "window/file_dialog.h"
#include "window/file_name_icon_provider.h"

class QWidget;

namespace geodata {

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

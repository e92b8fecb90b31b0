// The open-file dialog on Qt's QFileDialog.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "window/file_dialog.h"

class QWidget;

namespace geodata {

// "Description|pattern|..." as Qt's name filters: each shows its description
// and matches its patterns (";" separated).
QStringList ToQtNameFilters(std::string_view filter);

class QtFileDialog final : public FileDialog {
 public:
  explicit QtFileDialog(QWidget* parent) : parent_(parent) {}

  void Filter(std::string filter) override { name_filters_ = ToQtNameFilters(filter); }
  // Starts in the current folder, later in the folder of the last choice.
  bool ShowOpen() override;
  std::string FileName() const override { return file_name_; }

 private:
  QWidget* parent_;
  QStringList name_filters_;
  QString folder_;
  std::string file_name_;
};

}  // namespace geodata

// The open-file dialog on Qt's QFileDialog.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>

#include "window/file_dialog.h"
#include "window/file_name_icon_provider.h"

class QFileDialog;
class QWidget;

namespace geodata {

// "Description|pattern|..." as Qt's name filters: each shows its description
// and matches its patterns (";" separated).
QStringList ToQtNameFilters(std::string_view filter);

// One Qt dialog, made at its first use and kept for the window's life:
// Qt's own on every desktop, since a platform dialog records recent files
// and this program writes nothing.
class QtFileDialog final : public FileDialog {
 public:
  explicit QtFileDialog(QWidget* parent);
  ~QtFileDialog() override;
  QtFileDialog(const QtFileDialog&) = delete;
  QtFileDialog& operator=(const QtFileDialog&) = delete;

  void Filter(std::string filter) override { name_filters_ = ToQtNameFilters(filter); }
  // Starts in the current folder, later in the folder of the last choice.
  bool ShowOpen() override;
  std::string FileName() const override { return file_name_; }

 private:
  QWidget* parent_;
  std::unique_ptr<FileNameIconProvider> icons_;
  QPointer<QFileDialog> dialog_;
  QStringList name_filters_;
  QString folder_;
  std::string file_name_;
};

}  // namespace geodata

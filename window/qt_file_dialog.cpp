#include "window/qt_file_dialog.h"

#include <QAbstractItemView>
#include <QCompleter>
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

QtFileDialog::QtFileDialog(QWidget* parent)
    : parent_(parent), icons_(std::make_unique<FileNameIconProvider>()) {}

// The dialog goes before the icons it uses.
QtFileDialog::~QtFileDialog() { delete dialog_.data(); }

bool QtFileDialog::ShowOpen() {
  if (!dialog_) {
    dialog_ = new QFileDialog(parent_, QStringLiteral("Open"));
    dialog_->setOption(QFileDialog::DontUseNativeDialog);
    dialog_->setIconProvider(icons_.get());
    dialog_->setAcceptMode(QFileDialog::AcceptOpen);
    dialog_->setFileMode(QFileDialog::ExistingFile);
  }
  QFileDialog& dialog = *dialog_;
  dialog.setDirectory(folder_.isEmpty() ? QDir::currentPath() : folder_);
  dialog.setNameFilters(name_filters_);
  dialog.selectFile(QString());
  const int result = dialog.exec();
  // The dialog outlives its use: a name completed and confirmed with Return
  // leaves the completer's list open, and that list would keep the pointer.
  for (QCompleter* completer : dialog.findChildren<QCompleter*>()) {
    if (completer->popup() != nullptr) completer->popup()->hide();
  }
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const QString chosen = dialog.selectedFiles().constFirst();
  folder_ = QFileInfo(chosen).absolutePath();
  // The reader takes UTF-8 on every system, and the path is shown in messages
  // as the system writes paths.
  file_name_ = QDir::toNativeSeparators(chosen).toUtf8().toStdString();
  return true;
}

}  // namespace geodata

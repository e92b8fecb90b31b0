// Plays the person at modal windows, the file dialog and the error box. While
// a driver lives, each modal window that shows is handed to it from the
// window's own event loop: a message box is read and accepted, any other
// window goes to the answer. Whatever stays open after that is closed, so a
// failing test cannot hang.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace geodata::testing {

struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
};

class ModalDriver final : public QObject {
 public:
  using Answer = std::function<void(QWidget& modal)>;

  explicit ModalDriver(Answer answer = nullptr);
  ~ModalDriver() override;
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  std::vector<ShownBox> boxes;  // every message box shown, in order
  int shown = 0;                // modal windows shown, message boxes included

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Drive(QWidget& modal);

  Answer answer_;
};

}  // namespace geodata::testing

// The real window, driven as a person would through its menu and a stand-in
// dialog, with its error messages caught instead of shown (or shown, for a
// test that reads the box itself), and its panels at hand.
#pragma once

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "region/byte_source.h"
#include "testing/path_dialog.h"
#include "window/main_window.h"
#include "window/map_panel_widget.h"
#include "window/progress_panel_widget.h"
#include "window/text_panel_widget.h"

namespace geodata::testing {

class TestWindow final : public Form1 {
 public:
  using Opener = std::function<std::unique_ptr<ByteSource>()>;

  // Reads files unless given an open to use instead: set on the window's
  // thread before a load, taken by the load's thread, which may outlive the
  // window.
  explicit TestWindow(std::shared_ptr<DialogRecord> chooser = std::make_shared<DialogRecord>(),
                      bool show_boxes = false)
      : TestWindow(std::move(chooser), std::make_shared<Opener>(), show_boxes) {}

  void OpenNext(Opener open) { *next_ = std::move(open); }
  // The menu item, as a click on it.
  QAction* OpenGeo() const {
    const QList<QAction*> menus = menuBar()->actions();
    return menus.size() == 1 ? menus[0]->menu()->actions().value(0) : nullptr;
  }
  // Answers the dialog with `path` (Cancel unless `confirm`) and runs the
  // command, then what it left for the event loop.
  void Open(const std::string& path, bool confirm = true) {
    chooser_->answer = path;
    chooser_->confirm = confirm;
    OpenGeo()->trigger();
    QApplication::processEvents();
  }

  MapPanelWidget& MapPanel() const { return *findChild<MapPanelWidget*>(QStringLiteral("Map")); }
  TextPanelWidget& ListPanel() const { return *findChild<TextPanelWidget*>(QStringLiteral("list")); }
  ProgressPanelWidget& Bar() const { return *findChild<ProgressPanelWidget*>(QStringLiteral("Baras")); }

  std::vector<QString> errors;
  int errors_under_wait_pointer = 0;

 protected:
  void ShowError(const QString& message) override {
    errors.push_back(message);
    errors_under_wait_pointer += QGuiApplication::overrideCursor() != nullptr;
    if (show_boxes_) Form1::ShowError(message);
  }

 private:
  TestWindow(std::shared_ptr<DialogRecord> chooser, std::shared_ptr<Opener> next, bool show_boxes)
      : Form1(std::make_unique<PathDialog>(chooser),
              [next](const std::string& path) -> std::unique_ptr<ByteSource> {
                if (*next) return std::exchange(*next, nullptr)();
                return std::make_unique<FileSource>(path);
              }),
        chooser_(std::move(chooser)),
        next_(std::move(next)),
        show_boxes_(show_boxes) {}

  std::shared_ptr<DialogRecord> chooser_;
  std::shared_ptr<Opener> next_;
  bool show_boxes_;
};

}  // namespace geodata::testing

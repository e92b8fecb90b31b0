// The program's one window: it owns the block store, the load and the
// panels, and wires the menu, the pointer and start-up to the core calls.
#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "region/block_store.h"
#include "view/map_renderer.h"
#include "window/file_dialog.h"
#include "window/region_load.h"

class QAction;
class QLabel;
class QMenu;

namespace geodata {

class MapPanelWidget;
class ProgressPanelWidget;
class TextPanelWidget;

class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  // Opens the file a path names, on the load's thread, which may outlive the
  // window: it must hold what it uses. Tests stand in for the disk with it.
  using SourceOpener = std::function<std::unique_ptr<ByteSource>(const std::string&)>;

  // Without a dialog the window asks through Qt's file dialog; without an
  // opener it reads files. `desktop_scale` is the primary monitor's scale as
  // the program learned it before Qt started (1.5 at 150 %): where the
  // window's frame is not known before it is shown, room is kept for a
  // title bar drawn at it.
  explicit Form1(std::unique_ptr<FileDialog> dialog = nullptr, SourceOpener open = nullptr,
                 double desktop_scale = 1);
  ~Form1() override;

  void Open_Geodata_File(const std::string& Failas);
  void Draw_Geodata();

  void Form_Load();
  void OpenGeo_Click();
  void Map_MouseMove(std::int16_t Button, std::int16_t Shift, float x, float y);

  const BlockStore& Blocks() const { return store_; }

  std::int16_t Dm = 0;
  DrawCounters Counters;  // X and Y

 protected:
  // The one place an error that ends the open command reaches the user.
  virtual void ShowError(const QString& message);
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void BuildControls();
  void PlaceOnScreen(double desktop_scale);

  BlockStore store_;
  RegionLoad load_;
  std::optional<WaitPointer> pointer_;  // from a slow load until its map is painted
  bool opening_ = false;  // the open command runs
  std::unique_ptr<FileDialog> Dialog;
  SourceOpener open_;
  QLabel* Picture1 = nullptr;
  TextPanelWidget* list = nullptr;
  MapPanelWidget* Map = nullptr;
  ProgressPanelWidget* Baras = nullptr;
  QMenu* MenuFile = nullptr;
  QAction* OpenGeo = nullptr;
};

}  // namespace geodata

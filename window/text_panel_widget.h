// The text panel and log: keeps its lines and paints them from the top-left
// corner, cut off at the edges, never wrapped or scrolled. Pointer moves come
// faster than the screen shows them, and a repaint costs more than a
// readout, so the panel repaints at most once per frame, and only the rows
// whose text changed.
#pragma once

#include <QFrame>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "window/ascii_glyphs.h"
#include "window/panels.h"

namespace geodata {

class TextPanelWidget final : public QFrame, public TextPanel {
 public:
  using Clock = std::chrono::steady_clock;
  // Tests give a clock of their own, to move a frame at a time.
  explicit TextPanelWidget(QWidget* parent = nullptr, std::function<Clock::time_point()> now = Clock::now);

  void Cls() override;
  const std::vector<std::string>& Lines() const { return lines_; }

 protected:
  void AppendLine(std::string line) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // The lines changed: the changed rows are asked for once the command that
  // changed them has returned, and no sooner than a frame after the last
  // paint.
  void Changed();
  // A move's readout clears and prints all its lines but changes at most
  // three: the panel asks for a repaint of only the rows whose text differs
  // from what they show.
  void AskForChangedRows();
  // Where the rows lie, measured once per ask or paint.
  struct Rows {
    QRect area;  // contentsRect()
    int height;  // of a line
    int Count() const;
    QRect Rect(int row) const;
  };
  Rows FitRows();  // one state per row on screen
  std::string_view Text(int row) const;

  std::function<Clock::time_point()> now_;
  QTimer frame_;                // waits for the frame after the last paint
  Clock::time_point painted_;   // the last paint
  bool posted_ = false;         // asked for once the command returns
  std::vector<std::string> lines_;
  struct Row {
    std::optional<std::string> shown;  // none when not known
    bool asked = false;                // to be repainted
  };
  std::vector<Row> rows_;
  AsciiGlyphs glyphs_;  // the rows' characters, shaped once
};

}  // namespace geodata

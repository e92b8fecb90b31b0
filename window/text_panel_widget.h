// The text panel and log: keeps its lines and paints them from the top-left
// corner, cut off at the edges, never wrapped or scrolled.
#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QTimer>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "window/ascii_glyphs.h"
#include "window/panels.h"
#include "window/repaint_throttle.h"

namespace geodata {

class TextPanelWidget final : public QFrame, public TextPanel {
 public:
  // Rows are repainted at most once per frame of a 60 Hz screen: pointer
  // moves come faster than that, and a repaint costs more than a readout.
  static constexpr std::chrono::milliseconds kFrame{16};

  explicit TextPanelWidget(RepaintThrottle& throttle, QWidget* parent = nullptr);

  void Cls() override;
  const std::vector<std::string>& Lines() const { return lines_; }

 protected:
  void AppendLine(std::string line) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // A readout clears and prints all its lines but changes at most three:
  // only the rows whose text differs from what they show are repainted, at
  // once when a frame has passed since the last paint, else by the next
  // readout after it or by a check two frames after it. Two: while the
  // pointer moves, the first readout after a frame asks for its rows itself,
  // and the check, a frame later, finds them painted; it repaints only what
  // the last readout of a move left.
  bool Changed(int row) const;
  void Ask(int row);
  bool FramePassed() const;
  void WaitForFrame();
  void AskForChangedRows();
  void FitRows();  // one state per row on screen
  int Rows() const;
  QRect RowRect(int row) const;
  std::string_view Text(int row) const;

  RepaintThrottle& throttle_;
  std::vector<std::string> lines_;
  struct Row {
    std::optional<std::string> shown;  // none when not known
    bool asked = false;                // to be repainted
  };
  std::vector<Row> rows_;
  AsciiGlyphs glyphs_;  // the rows' characters, shaped once
  QElapsedTimer since_paint_;
  QTimer next_frame_;
};

}  // namespace geodata

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
  // readout after it or by a check two frames after it.
  bool Changed(int row) const;
  void Ask(int row);
  bool FramePassed() const;
  void WaitForFrame();
  void AskForChangedRows();
  int Rows() const;
  QRect RowRect(int row) const;
  std::string_view Text(int row) const;

  RepaintThrottle& throttle_;
  std::vector<std::string> lines_;
  // Per row on screen: the text it shows (none when not known), and whether
  // it is asked to be repainted.
  std::vector<std::optional<std::string>> shown_;
  std::vector<bool> asked_;
  AsciiGlyphs glyphs_;  // the rows' characters, shaped once
  QElapsedTimer since_paint_;
  QTimer next_frame_;
};

}  // namespace geodata

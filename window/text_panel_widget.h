// The text panel and log: keeps its lines and paints them from the top-left
// corner, cut off at the edges, never wrapped or scrolled.
#pragma once

#include <QFrame>
#include <optional>
#include <string>
#include <vector>

#include "window/ascii_glyphs.h"
#include "window/panels.h"
#include "window/repaint_throttle.h"

namespace geodata {

class TextPanelWidget final : public QFrame, public TextPanel {
 public:
  explicit TextPanelWidget(RepaintThrottle& throttle, QWidget* parent = nullptr);

  void Cls() override;
  const std::vector<std::string>& Lines() const { return lines_; }

 protected:
  void AppendLine(std::string line) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // A move's readout clears and prints all its lines but changes at most
  // three: when the throttle lets it, the panel asks for a repaint of only the
  // rows whose text differs from what they show.
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

  RepaintThrottle& throttle_;
  std::vector<std::string> lines_;
  struct Row {
    std::optional<std::string> shown;  // none when not known
    bool asked = false;                // to be repainted
  };
  std::vector<Row> rows_;
  AsciiGlyphs glyphs_;  // the rows' characters, shaped once
};

}  // namespace geodata

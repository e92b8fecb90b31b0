// The text panel and log: keeps its lines and paints them from the top-left
// corner, cut off at the edges, never wrapped or scrolled.
#pragma once

#include <QFrame>
#include <string>
#include <vector>

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
  RepaintThrottle& throttle_;
  std::vector<std::string> lines_;
};

}  // namespace geodata

// The progress bar: keeps its position and paints it with the style's bar,
// so that setting it once per block costs next to nothing.
#pragma once

#include <QWidget>

#include "window/panels.h"
#include "window/repaint_throttle.h"

namespace geodata {

class ProgressPanelWidget final : public QWidget, public ProgressPanel {
 public:
  explicit ProgressPanelWidget(RepaintThrottle& throttle, QWidget* parent = nullptr);

  // Throws std::out_of_range outside 0..kProgressMax.
  void Value(float value) override;
  float Position() const { return value_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  RepaintThrottle& throttle_;
  float value_ = 0;
};

}  // namespace geodata

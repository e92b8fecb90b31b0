// The progress bar: keeps its position and paints it with the style's bar
// in the event loop's next pass, so that setting it often costs next to
// nothing.
#pragma once

#include <QWidget>

#include "window/panels.h"

namespace geodata {

class ProgressPanelWidget final : public QWidget, public ProgressPanel {
 public:
  explicit ProgressPanelWidget(QWidget* parent = nullptr);

  // Throws std::out_of_range outside 0..kProgressMax.
  void Value(float value) override;
  float Position() const { return value_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  float value_ = 0;
};

}  // namespace geodata

// The map panel: a black drawing area inside a one-pixel border, whose
// points are kept in a backing image so they survive any repaint. A draw
// asks for one repaint, in the event loop's next pass.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "window/panels.h"

namespace geodata {

class MapPanelWidget final : public QWidget, public MapPanel {
  Q_OBJECT

 public:
  static constexpr int kBorderPixels = 1;
  static constexpr int kDrawingPixels = 511;
  static constexpr int kPanelPixels = kDrawingPixels + 2 * kBorderPixels;

  explicit MapPanelWidget(QWidget* parent = nullptr);

  void Cls() override;
  // Colours the one pixel that contains (x, y) twips; outside points are dropped.
  void PSet(float x, float y, Colour colour) override;

  const QImage& Picture() const;

 signals:
  // Position in twips from the drawing area's top-left corner.
  void MouseMove(std::int16_t Button, std::int16_t Shift, float x, float y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  // picture_'s pixels while no one else may hold a copy of it; none also
  // since the last paint, so the first point after it asks for the next.
  mutable QRgb* pixels_ = nullptr;
  int row_pixels_ = 0;
};

}  // namespace geodata

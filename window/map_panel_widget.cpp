#include "window/map_panel_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "view/map_units.h"

namespace geodata {
namespace {

// Button and key states as the pointer-move handler receives them.
std::int16_t ButtonState(Qt::MouseButtons buttons) {
  return static_cast<std::int16_t>(((buttons & Qt::LeftButton) ? 1 : 0) |
                                   ((buttons & Qt::RightButton) ? 2 : 0) |
                                   ((buttons & Qt::MiddleButton) ? 4 : 0));
}

std::int16_t ShiftState(Qt::KeyboardModifiers keys) {
  return static_cast<std::int16_t>(((keys & Qt::ShiftModifier) ? 1 : 0) |
                                   ((keys & Qt::ControlModifier) ? 2 : 0) |
                                   ((keys & Qt::AltModifier) ? 4 : 0));
}

// The pixel containing a twip position, or -1 outside the drawing area.
// For t >= 0, floor(t / 15) = floor(floor(t) / 15), so whole twips and an
// integer division give the pixel exactly.
int PixelOf(float twips) {
  constexpr float kEnd = MapPanelWidget::kDrawingPixels * kTwipsPerPixel;
  if (!(twips >= 0 && twips < kEnd)) return -1;
  return static_cast<int>(twips) / kTwipsPerPixel;
}

}  // namespace

MapPanelWidget::MapPanelWidget(QWidget* parent)
    : QWidget(parent),
      picture_(kDrawingPixels, kDrawingPixels, QImage::Format_RGB32) {
  picture_.fill(Qt::black);
  setFixedSize(kPanelPixels, kPanelPixels);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapPanelWidget::Cls() {
  picture_.fill(Qt::black);
  pixels_ = nullptr;
  update();
}

void MapPanelWidget::PSet(float x, float y, Colour colour) {
  const int px = PixelOf(x);
  const int py = PixelOf(y);
  if (px < 0 || py < 0) return;
  // bits() detaches a shared image; once per run of points is enough.
  if (pixels_ == nullptr) {
    pixels_ = reinterpret_cast<QRgb*>(picture_.bits());
    row_pixels_ = static_cast<int>(picture_.bytesPerLine() / sizeof(QRgb));
    update();
  }
  pixels_[py * row_pixels_ + px] = qRgb(colour.red, colour.green, colour.blue);
}

const QImage& MapPanelWidget::Picture() const {
  pixels_ = nullptr;  // the caller may keep a shared copy
  return picture_;
}

void MapPanelWidget::paintEvent(QPaintEvent* /*event*/) {
  pixels_ = nullptr;  // the painter may keep a shared copy
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(0, 0, kPanelPixels - 1, kPanelPixels - 1);
  painter.drawImage(kBorderPixels, kBorderPixels, picture_);
}

void MapPanelWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position() - QPointF(kBorderPixels, kBorderPixels);
  // Moves over the border are not over the map: they would read as column
  // or row -1 on entry from the left or the top.
  if (!(at.x() >= 0 && at.y() >= 0 && at.x() < kDrawingPixels && at.y() < kDrawingPixels)) return;
  emit MouseMove(ButtonState(event->buttons()), ShiftState(event->modifiers()),
                 static_cast<float>(at.x() * kTwipsPerPixel),
                 static_cast<float>(at.y() * kTwipsPerPixel));
}

}  // namespace geodata

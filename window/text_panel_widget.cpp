#include "window/text_panel_widget.h"

#include <QPainter>

#include "window/panel_accessibility.h"

namespace geodata {

TextPanelWidget::TextPanelWidget(RepaintThrottle& throttle, QWidget* parent)
    : QFrame(parent), throttle_(throttle) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setBackgroundRole(QPalette::Button);
  setForegroundRole(QPalette::ButtonText);
  setAutoFillBackground(true);
  InstallPanelAccessibility();
}

void TextPanelWidget::Cls() {
  lines_.clear();
  throttle_.Touched(*this);
}

void TextPanelWidget::AppendLine(std::string line) {
  lines_.push_back(std::move(line));
  throttle_.Touched(*this);
}

void TextPanelWidget::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.setClipRect(area);
  painter.setPen(palette().color(foregroundRole()));
  const QFontMetrics metrics = fontMetrics();
  int baseline = area.top() + metrics.ascent();
  for (const std::string& line : lines_) {
    if (baseline - metrics.ascent() > area.bottom()) break;
    painter.drawText(area.left(), baseline, QString::fromStdString(line));
    baseline += metrics.height();
  }
  throttle_.Painted(*this);
  AnnouncePainted(*this);
}

}  // namespace geodata

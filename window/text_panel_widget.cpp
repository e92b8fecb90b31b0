#include "window/text_panel_widget.h"

#include <QPaintEvent>
#include <QPainter>

namespace geodata {

TextPanelWidget::TextPanelWidget(RepaintThrottle& throttle, QWidget* parent)
    : QFrame(parent), throttle_(throttle) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setBackgroundRole(QPalette::Button);
  setForegroundRole(QPalette::ButtonText);
  setAutoFillBackground(true);
}

void TextPanelWidget::Cls() {
  lines_.clear();
  Changed();
}

void TextPanelWidget::AppendLine(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

void TextPanelWidget::Changed() {
  // A long load repaints the whole panel through the throttle.
  throttle_.TouchedPart(*this);
  if (check_posted_) return;
  check_posted_ = true;
  QMetaObject::invokeMethod(this, [this] { AskForChangedRows(); }, Qt::QueuedConnection);
}

void TextPanelWidget::AskForChangedRows() {
  check_posted_ = false;
  const int rows = Rows();
  shown_.resize(static_cast<std::size_t>(rows));
  asked_.resize(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    const auto at = static_cast<std::size_t>(row);
    if (asked_[at] || shown_[at] == Text(row)) continue;
    asked_[at] = true;
    update(RowRect(row));
  }
}

int TextPanelWidget::Rows() const {
  const QRect area = contentsRect();
  const int height = fontMetrics().height();
  return height > 0 ? (area.height() + height - 1) / height : 0;
}

QRect TextPanelWidget::RowRect(int row) const {
  const QRect area = contentsRect();
  const int height = fontMetrics().height();
  return QRect(area.left(), area.top() + row * height, area.width(), height).intersected(area);
}

std::string_view TextPanelWidget::Text(int row) const {
  const auto at = static_cast<std::size_t>(row);
  return at < lines_.size() ? std::string_view(lines_[at]) : std::string_view();
}

void TextPanelWidget::paintEvent(QPaintEvent* event) {
  const QRect area = contentsRect();
  if (!area.contains(event->rect())) QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  const int ascent = fontMetrics().ascent();
  const int rows = Rows();
  shown_.resize(static_cast<std::size_t>(rows));
  asked_.resize(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    const QRect place = RowRect(row);
    if (!event->rect().intersects(place)) continue;
    const std::string_view text = Text(row);
    if (!text.empty()) {
      // Each row is clipped to itself, so repainting one row alone leaves
      // nothing of its old text in the next.
      painter.setClipRect(place);
      painter.drawText(area.left(), place.top() + ascent,
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    const auto at = static_cast<std::size_t>(row);
    if (event->region().intersected(place) == QRegion(place)) {
      shown_[at] = std::string(text);
      asked_[at] = false;
    } else {
      shown_[at].reset();
    }
  }
  throttle_.Painted(*this);
}

}  // namespace geodata

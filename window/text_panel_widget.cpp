#include "window/text_panel_widget.h"

#include <QPaintEvent>
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
  throttle_.AsksForItsOwnRows(*this, [this] { AskForChangedRows(); });
}

void TextPanelWidget::Cls() {
  lines_.clear();
  throttle_.Touched(*this);
}

void TextPanelWidget::AppendLine(std::string line) {
  lines_.push_back(std::move(line));
  throttle_.Touched(*this);
}

void TextPanelWidget::AskForChangedRows() {
  FitRows();
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    Row& state = rows_[static_cast<std::size_t>(row)];
    if (state.asked || state.shown == Text(row)) continue;
    state.asked = true;
    update(RowRect(row));
  }
}

void TextPanelWidget::FitRows() { rows_.resize(static_cast<std::size_t>(Rows())); }

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
  FitRows();
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    const QRect place = RowRect(row);
    if (!event->rect().intersects(place)) continue;
    const std::string_view text = Text(row);
    if (!text.empty()) {
      // Each row is clipped to itself, so repainting one row alone leaves
      // nothing of its old text in the next.
      painter.setClipRect(place);
      const QPoint origin(area.left(), place.top() + ascent);
      if (!glyphs_.Draw(painter, origin, text)) {
        painter.drawText(origin, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
      }
    }
    // A paint may also go elsewhere than the screen (grab, render): only a
    // row asked for is known to be shown, any other row differing is unknown.
    Row& state = rows_[static_cast<std::size_t>(row)];
    if (state.asked && event->region().intersected(place) == QRegion(place)) {
      state.shown = std::string(text);
      state.asked = false;
    } else if (state.shown != text) {
      state.shown.reset();
    }
  }
  throttle_.Painted(*this);
  AnnouncePainted(*this);
}

}  // namespace geodata

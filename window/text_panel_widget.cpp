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
  // The paint fills the rows itself, with the one painter it draws them with.
  setAttribute(Qt::WA_OpaquePaintEvent);
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
  const Rows rows = FitRows();
  QRegion changed;
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    Row& state = rows_[static_cast<std::size_t>(row)];
    if (state.asked || state.shown == Text(row)) continue;
    state.asked = true;
    changed += rows.Rect(row);
  }
  // Now rather than in a later pass of the event loop: the command that
  // changed the rows has returned.
  if (!changed.isEmpty()) repaint(changed);
}

TextPanelWidget::Rows TextPanelWidget::FitRows() {
  const Rows rows{contentsRect(), fontMetrics().height()};
  rows_.resize(static_cast<std::size_t>(rows.Count()));
  return rows;
}

int TextPanelWidget::Rows::Count() const { return height > 0 ? (area.height() + height - 1) / height : 0; }

QRect TextPanelWidget::Rows::Rect(int row) const {
  return QRect(area.left(), area.top() + row * height, area.width(), height).intersected(area);
}

std::string_view TextPanelWidget::Text(int row) const {
  const auto at = static_cast<std::size_t>(row);
  return at < lines_.size() ? std::string_view(lines_[at]) : std::string_view();
}

void TextPanelWidget::paintEvent(QPaintEvent* event) {
  const Rows rows = FitRows();
  if (!rows.area.contains(event->rect())) QFrame::paintEvent(event);
  QPainter painter(this);
  const QBrush background = palette().brush(backgroundRole());
  for (const QRect& part : event->region()) painter.fillRect(part & rows.area, background);
  painter.setPen(palette().color(foregroundRole()));
  const int ascent = fontMetrics().ascent();
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    const QRect place = rows.Rect(row);
    if (!event->rect().intersects(place)) continue;
    const std::string_view text = Text(row);
    if (!text.empty()) {
      // Each row is clipped to itself, so repainting one row alone leaves
      // nothing of its old text in the next.
      painter.setClipRect(place);
      const QPoint origin(rows.area.left(), place.top() + ascent);
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

#include "window/text_panel_widget.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "window/panel_accessibility.h"

namespace geodata {

TextPanelWidget::TextPanelWidget(RepaintThrottle& throttle, QWidget* parent)
    : QFrame(parent), throttle_(throttle), next_frame_(this) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setBackgroundRole(QPalette::Button);
  setForegroundRole(QPalette::ButtonText);
  setAutoFillBackground(true);
  next_frame_.setSingleShot(true);
  connect(&next_frame_, &QTimer::timeout, this, [this] { AskForChangedRows(); });
}

void TextPanelWidget::Cls() {
  lines_.clear();
  throttle_.Touched(*this, RepaintThrottle::Update::kNone);
  // Rows below the lines printed next still show their old text; the next
  // frame's check erases them.
  WaitForFrame();
}

void TextPanelWidget::AppendLine(std::string line) {
  lines_.push_back(std::move(line));
  // A long load repaints the whole panel through the throttle.
  throttle_.Touched(*this, RepaintThrottle::Update::kNone);
  const int row = static_cast<int>(lines_.size()) - 1;
  if (row >= static_cast<int>(rows_.size()) || !Changed(row)) return;
  if (FramePassed()) {
    Ask(row);
  } else {
    WaitForFrame();
  }
}

bool TextPanelWidget::Changed(int row) const {
  const Row& state = rows_[static_cast<std::size_t>(row)];
  return !state.asked && state.shown != Text(row);
}

void TextPanelWidget::Ask(int row) {
  rows_[static_cast<std::size_t>(row)].asked = true;
  update(RowRect(row));
}

bool TextPanelWidget::FramePassed() const {
  return !since_paint_.isValid() || since_paint_.elapsed() >= kFrame.count();
}

void TextPanelWidget::WaitForFrame() {
  if (next_frame_.isActive()) return;
  const qint64 waited = since_paint_.isValid() ? since_paint_.elapsed() : 0;
  next_frame_.start(std::chrono::milliseconds(std::max<qint64>(2 * kFrame.count() - waited, 0)));
}

void TextPanelWidget::AskForChangedRows() {
  FitRows();
  for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
    if (Changed(row)) Ask(row);
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
  since_paint_.start();
  throttle_.Painted(*this);
  AnnouncePainted(*this);
}

}  // namespace geodata

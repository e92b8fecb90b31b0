#include "window/text_panel_widget.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "window/panel_accessibility.h"
#include "window/screen_frame.h"

namespace geodata {

TextPanelWidget::TextPanelWidget(QWidget* parent, std::function<Clock::time_point()> now)
    : QFrame(parent), now_(std::move(now)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setBackgroundRole(QPalette::Button);
  setForegroundRole(QPalette::ButtonText);
  // The paint fills the rows itself, with the one painter it draws them with.
  setAttribute(Qt::WA_OpaquePaintEvent);
  frame_.setSingleShot(true);
  // Not early: a frame that the clock says has not passed is waited for again.
  frame_.setTimerType(Qt::PreciseTimer);
  frame_.callOnTimeout(this, [this] {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(kFrame - (now_() - painted_));
    if (left.count() > 0) {
      frame_.start(left);
      return;
    }
    AskForChangedRows();
  });
}

void TextPanelWidget::Cls() {
  lines_.clear();
  Changed();
}

void TextPanelWidget::AppendLine(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

// A move's readout is painted in the event loop's pass that took the move,
// whenever a frame has passed: a timer of its own would wake the program
// once more per paint, which cost a pointer move more than the paint. The
// timer waits two frames, so while the pointer moves the next readout comes
// first and asks itself; it shows only what the last one left.
void TextPanelWidget::Changed() {
  if (posted_ || frame_.isActive()) return;
  const Clock::duration since = now_() - painted_;
  if (since >= kFrame) {
    posted_ = true;
    // Once the command returns: rows asked for in its middle could be rows
    // it prints again unchanged.
    QMetaObject::invokeMethod(this, [this] { AskForChangedRows(); }, Qt::QueuedConnection);
  } else {
    frame_.start(std::chrono::ceil<std::chrono::milliseconds>(2 * kFrame - since));
  }
}

void TextPanelWidget::AskForChangedRows() {
  posted_ = false;
  frame_.stop();
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
  painted_ = now_();
  AnnouncePainted(*this);
}

}  // namespace geodata

#include "window/progress_panel_widget.h"

#include <QPainter>
#include <QStyleOptionProgressBar>
#include <stdexcept>
#include <string>

#include "window/panel_accessibility.h"

namespace geodata {

ProgressPanelWidget::ProgressPanelWidget(QWidget* parent) : QWidget(parent) {}

void ProgressPanelWidget::Value(float value) {
  if (!(value >= 0 && value <= kProgressMax)) {
    throw std::out_of_range("progress bar value " + std::to_string(value) +
                            " is outside 0.." + std::to_string(static_cast<int>(kProgressMax)));
  }
  if (value == value_) return;
  value_ = value;
  update();
}

void ProgressPanelWidget::paintEvent(QPaintEvent* /*event*/) {
  QStyleOptionProgressBar option;
  option.initFrom(this);
  option.state |= QStyle::State_Horizontal;
  option.minimum = 0;
  option.maximum = static_cast<int>(kProgressMax);
  option.progress = static_cast<int>(value_);
  option.textVisible = false;
  QPainter painter(this);
  style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
  AnnouncePainted(*this);
}

}  // namespace geodata

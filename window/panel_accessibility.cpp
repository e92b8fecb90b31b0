#include "window/panel_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <string>

#include "window/map_panel_widget.h"
#include "window/progress_panel_widget.h"
#include "window/text_panel_widget.h"

namespace geodata {
namespace {

// A panel interface that raises, on request, the change since it last did.
// Nothing is announced while nobody listens, so a listener that arrives
// hears changes from what was shown when it came, not from long before.
class Announcing : public QAccessible::ActivationObserver {
 public:
  Announcing() { QAccessible::installActivationObserver(this); }
  ~Announcing() override { QAccessible::removeActivationObserver(this); }
  Announcing(const Announcing&) = delete;
  Announcing& operator=(const Announcing&) = delete;

  virtual void Announce() = 0;
  void accessibilityActiveChanged(bool active) override {
    if (active) TakeAsHeard();
  }

 protected:
  virtual void TakeAsHeard() = 0;
};

// The text panel as read-only text: its lines joined by newlines, exactly as
// printed. Offsets count UTF-16 units, as everywhere in Qt's text interface.
class TextPanelAccessible final : public QAccessibleWidget,
                                  public QAccessibleTextInterface,
                                  public Announcing {
 public:
  explicit TextPanelAccessible(TextPanelWidget* panel)
      : QAccessibleWidget(panel, QAccessible::StaticText), announced_(Joined()) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Value ? Joined() : QAccessibleWidget::text(kind);
  }

  QString text(int start, int end) const override {
    const QString all = Joined();
    const auto size = static_cast<int>(all.size());
    if (end < 0 || end > size) end = size;
    start = std::clamp(start, 0, end);
    return all.mid(start, end - start);
  }

  int characterCount() const override { return static_cast<int>(Joined().size()); }

  // Screen rectangle of one character, so a magnifier can follow the text.
  QRect characterRect(int offset) const override {
    const QStringList lines = Lines();
    int row = 0;
    while (row < lines.size() && offset > lines[row].size()) {
      offset -= static_cast<int>(lines[row].size()) + 1;
      ++row;
    }
    if (offset < 0 || row >= lines.size()) return {};
    const QWidget& panel = *widget();
    const QFontMetrics metrics = panel.fontMetrics();
    const QRect area = panel.contentsRect();
    const QString& line = lines[row];
    const int left = area.left() + metrics.horizontalAdvance(line.left(offset));
    const int width = offset < line.size() ? metrics.horizontalAdvance(line.at(offset)) : 0;
    const QRect local(left, area.top() + row * metrics.height(), width, metrics.height());
    return local.translated(panel.mapToGlobal(QPoint(0, 0)));
  }

  int offsetAtPoint(const QPoint& point) const override {
    const QWidget& panel = *widget();
    const QFontMetrics metrics = panel.fontMetrics();
    const QRect area = panel.contentsRect();
    const QPoint local = panel.mapFromGlobal(point);
    if (!area.contains(local)) return -1;
    const QStringList lines = Lines();
    const int row = (local.y() - area.top()) / metrics.height();
    if (row >= lines.size()) return -1;
    int offset = 0;
    for (int i = 0; i < row; ++i) offset += static_cast<int>(lines[i].size()) + 1;
    const QString& line = lines[row];
    for (int column = 0; column < line.size(); ++column) {
      if (area.left() + metrics.horizontalAdvance(line.left(column + 1)) > local.x()) return offset + column;
    }
    return -1;
  }

  void selection(int /*index*/, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int /*start*/, int /*end*/) override {}
  void removeSelection(int /*index*/) override {}
  void setSelection(int /*index*/, int /*start*/, int /*end*/) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int /*position*/) override {}
  void scrollToSubstring(int /*start*/, int /*end*/) override {}
  QString attributes(int /*offset*/, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

  // Only the changed lines go out, whole, so a reader speaks the new
  // coordinates or the new log line rather than the whole panel or a stray
  // digit.
  void Announce() override {
    const QString now = Joined();
    if (now == announced_) return;
    const qsizetype shorter = std::min(now.size(), announced_.size());
    qsizetype head = 0;
    while (head < shorter && now[head] == announced_[head]) ++head;
    // From -1, lastIndexOf would search from the end: a change in the first
    // line starts at 0.
    if (head > 0 && head < shorter) head = now.lastIndexOf(QLatin1Char('\n'), head - 1) + 1;
    qsizetype tail = 0;
    while (tail < shorter - head && now[now.size() - 1 - tail] == announced_[announced_.size() - 1 - tail]) {
      ++tail;
    }
    if (tail < shorter - head) {
      const qsizetype line_end = now.indexOf(QLatin1Char('\n'), now.size() - tail);
      tail = line_end < 0 ? 0 : now.size() - line_end;
    }
    QAccessibleTextUpdateEvent event(object(), static_cast<int>(head),
                                     announced_.mid(head, announced_.size() - head - tail),
                                     now.mid(head, now.size() - head - tail));
    announced_ = now;
    QAccessible::updateAccessibility(&event);
  }

 protected:
  void TakeAsHeard() override { announced_ = Joined(); }

 private:
  const TextPanelWidget& Panel() const { return static_cast<const TextPanelWidget&>(*widget()); }

  QStringList Lines() const {
    QStringList lines;
    for (const std::string& line : Panel().Lines()) lines.append(QString::fromStdString(line));
    return lines;
  }

  QString Joined() const { return Lines().join(QLatin1Char('\n')); }

  QString announced_;
};

class ProgressPanelAccessible final : public QAccessibleWidget,
                                      public QAccessibleValueInterface,
                                      public Announcing {
 public:
  explicit ProgressPanelAccessible(ProgressPanelWidget* bar)
      : QAccessibleWidget(bar, QAccessible::ProgressBar), announced_(bar->Position()) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QVariant currentValue() const override { return static_cast<double>(Bar().Position()); }
  void setCurrentValue(const QVariant& /*value*/) override {}  // only the load moves it
  QVariant maximumValue() const override { return static_cast<double>(ProgressPanel::kProgressMax); }
  QVariant minimumValue() const override { return 0.0; }
  QVariant minimumStepSize() const override { return 1.0; }

  void Announce() override {
    const float now = Bar().Position();
    if (now == announced_) return;
    announced_ = now;
    QAccessibleValueChangeEvent event(object(), static_cast<double>(now));
    QAccessible::updateAccessibility(&event);
  }

 protected:
  void TakeAsHeard() override { announced_ = Bar().Position(); }

 private:
  const ProgressPanelWidget& Bar() const { return static_cast<const ProgressPanelWidget&>(*widget()); }

  float announced_;
};

// Qt asks once per class of the object's meta-object chain; the text panel
// has no meta-object of its own, so the object is matched, not the name.
QAccessibleInterface* PanelInterface(const QString& /*class_name*/, QObject* object) {
  if (auto* list = dynamic_cast<TextPanelWidget*>(object)) return new TextPanelAccessible(list);
  if (auto* bar = dynamic_cast<ProgressPanelWidget*>(object)) return new ProgressPanelAccessible(bar);
  if (auto* map = dynamic_cast<MapPanelWidget*>(object)) {
    return new QAccessibleWidget(map, QAccessible::Graphic);
  }
  return nullptr;
}

}  // namespace

// The factory installed last is asked first, before Qt's own for QFrame and
// QWidget.
void InstallPanelAccessibility() { QAccessible::installFactory(&PanelInterface); }

void AnnouncePainted(QWidget& panel) {
  if (!QAccessible::isActive()) return;
  if (auto* announcing = dynamic_cast<Announcing*>(QAccessible::queryAccessibleInterface(&panel))) {
    announcing->Announce();
  }
}

}  // namespace geodata

#include "testing/qt/accessibility_events.h"

#include <QStringList>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <algorithm>
#include <iterator>

namespace geodata::testing {
namespace {

QPlatformAccessibility& Bridge() { return *QGuiApplicationPrivate::platformIntegration()->accessibility(); }

}  // namespace

AccessibilityEvents::AccessibilityEvents()
    : was_active_(QAccessible::isActive()), previous_(QAccessible::installUpdateHandler(&Record)) {
  Current() = this;
  Bridge().setActive(true);
}

AccessibilityEvents::~AccessibilityEvents() {
  QAccessible::installUpdateHandler(previous_);
  Bridge().setActive(was_active_);
  Current() = nullptr;
}

std::vector<AccessibilityEvents::Event> AccessibilityEvents::Of(const QObject* object,
                                                                QAccessible::Event type) const {
  std::vector<Event> found;
  std::copy_if(events.begin(), events.end(), std::back_inserter(found),
               [&](const Event& e) { return e.object == object && e.type == type; });
  return found;
}

AccessibilityEvents*& AccessibilityEvents::Current() {
  static AccessibilityEvents* current = nullptr;
  return current;
}

void AccessibilityEvents::Record(QAccessibleEvent* event) {
  Event e{event->object(), event->type(), 0, {}, {}, 0};
  if (event->type() == QAccessible::TextUpdated) {
    const auto* update = static_cast<QAccessibleTextUpdateEvent*>(event);
    e.position = update->changePosition();
    e.removed = update->textRemoved();
    e.inserted = update->textInserted();
  } else if (event->type() == QAccessible::ValueChanged) {
    e.value = static_cast<QAccessibleValueChangeEvent*>(event)->value().toDouble();
  }
  Current()->events.push_back(e);
}

QString Applied(QString text, const std::vector<AccessibilityEvents::Event>& updates) {
  for (const AccessibilityEvents::Event& e : updates) {
    if (text.mid(e.position, e.removed.size()) != e.removed) {
      return QStringLiteral("<an update at %1 removes \"%2\" where \"%3\" is>")
          .arg(e.position)
          .arg(e.removed, text.mid(e.position, e.removed.size()));
    }
    text.replace(e.position, e.removed.size(), e.inserted);
  }
  return text;
}

QString Joined(const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) joined.append(QString::fromStdString(line));
  return joined.join(QLatin1Char('\n'));
}

}  // namespace geodata::testing

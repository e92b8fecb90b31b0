// Records the accessibility events Qt raises while it lives, as if assistive
// technology were listening. Qt hands events to an update handler only while
// its platform bridge is active, which no public call can set; Qt's own tests
// switch it the same way. The handler is a plain function, so it finds the
// recorder in use through Current().
#pragma once

#include <QAccessible>
#include <QString>
#include <string>
#include <vector>

class QObject;

namespace geodata::testing {

class AccessibilityEvents {
 public:
  struct Event {
    QObject* object;
    QAccessible::Event type;
    int position;      // text updates
    QString removed;   // text updates
    QString inserted;  // text updates
    double value;      // value changes
  };

  AccessibilityEvents();
  ~AccessibilityEvents();
  AccessibilityEvents(const AccessibilityEvents&) = delete;
  AccessibilityEvents& operator=(const AccessibilityEvents&) = delete;

  std::vector<Event> Of(const QObject* object, QAccessible::Event type) const;

  std::vector<Event> events;

 private:
  static AccessibilityEvents*& Current();
  static void Record(QAccessibleEvent* event);

  bool was_active_;
  QAccessible::UpdateHandler previous_;
};

// The text a listener that had `text` holds after the updates, each applied
// in turn; an update that removes other text than is there gives a text that
// says so instead.
QString Applied(QString text, const std::vector<AccessibilityEvents::Event>& updates);

// The text panel's lines as its accessible text: joined by newlines.
QString Joined(const std::vector<std::string>& lines);

}  // namespace geodata::testing

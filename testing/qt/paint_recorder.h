// What the event loop does to the widgets under test: the paints each widget
// receives, and which objects still keep a timer.
#pragma once

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QStringList>
#include <QWidget>
#include <initializer_list>
#include <map>
#include <vector>

namespace geodata::testing {

// The region of each paint of each widget it watches, in order, and the key
// presses that reached them.
class PaintRecorder final : public QObject {
 public:
  explicit PaintRecorder(std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) widget->installEventFilter(this);
  }
  std::map<const QObject*, std::vector<QRegion>> paints;
  int key_presses = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    key_presses += event->type() == QEvent::KeyPress;
    if (event->type() == QEvent::Paint) paints[watched].push_back(static_cast<QPaintEvent*>(event)->region());
    return false;
  }
};

// The class names of `root` and of the objects under it that keep a timer
// registered: none once nothing is left to wake the event loop.
inline QStringList Timed(const QObject& root) {
  QAbstractEventDispatcher& dispatcher = *QAbstractEventDispatcher::instance();
  QList<QObject*> objects = root.findChildren<QObject*>();
  objects.append(const_cast<QObject*>(&root));
  QStringList names;
  for (QObject* object : objects) {
    if (!dispatcher.registeredTimers(object).isEmpty()) names << object->metaObject()->className();
  }
  return names;
}

}  // namespace geodata::testing

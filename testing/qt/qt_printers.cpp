#include "testing/qt/qt_printers.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString& text, std::ostream* out) { *out << ::testing::PrintToString(text.toStdString()); }

void PrintTo(const QRegion& region, std::ostream* out) {
  *out << "{";
  for (const QRect& r : region) *out << " (" << r.x() << ", " << r.y() << ") " << r.width() << "x" << r.height();
  *out << " }";
}

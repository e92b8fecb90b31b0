#include "testing/qt/qt_printers.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString& text, std::ostream* out) { *out << ::testing::PrintToString(text.toStdString()); }

// How GoogleTest prints Qt values in a failure: a QString as its text, a
// QRegion as its rectangles. Every test that compares Qt values includes it,
// so that they all print alike.
#pragma once

#include <QRegion>
#include <QString>
#include <iosfwd>

// Beside the Qt types, in the global namespace, where GoogleTest looks for it.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QRegion& region, std::ostream* out);

// How GoogleTest prints Qt values in a failure: a QString as its text. Every
// test that compares Qt values includes it, so that they all print alike.
#pragma once

#include <QString>
#include <iosfwd>

// Beside QString, in the global namespace, where GoogleTest looks for it.
void PrintTo(const QString& text, std::ostream* out);

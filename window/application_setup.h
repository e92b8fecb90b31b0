// The program's start: what it sets before its QApplication exists and on it
// before the window is made, which the entry point and the start-up benchmark
// share so they time the same steps, and the window's start itself.
#pragma once

#include "window/platform/screen.h"

namespace geodata {

// Before the QApplication: the scale the toolkit draws the window at. Keep
// the screen it returns until the QApplication exists.
[[nodiscard]] platform::PrimaryScreen PrepareScreenScale();

// Needs a QApplication.
void PrepareApplication();

// Makes and shows the window and runs the event loop until it closes; the
// program's exit code. Without memory for the region table the program can do
// nothing: it says so in a box rather than abort, and ends with 1.
int RunWindow();

}  // namespace geodata

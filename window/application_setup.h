// The program's start: what it sets before its QApplication exists and on it
// before the window is made, which the entry point and the start-up benchmark
// share so they time the same steps, and the window's start itself.
#pragma once

#include "window/platform/screen.h"

namespace geodata {

// Before the QApplication, the one time the program asks the system about
// its screen: the scale the toolkit draws the window at. Keep the screen it
// returns until the QApplication exists, and hand its scale to the window.
[[nodiscard]] platform::PrimaryScreen PrepareScreenScale();

// Needs a QApplication.
void PrepareApplication();

// Makes and shows the window, drawn for the scale PrepareScreenScale found,
// and runs the event loop until it closes; the program's exit code. Without
// memory for the region table the program can do nothing: it says so in a
// box rather than abort, and ends with 1.
int RunWindow(double desktop_scale);

}  // namespace geodata

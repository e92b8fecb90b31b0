// What the program sets on its QApplication before the window is made; the
// entry point and the start-up benchmark share it so they time the same steps.
#pragma once

namespace geodata {

// Needs a QApplication.
void PrepareApplication();

}  // namespace geodata

// The toolkit's scale for the window: a whole number of device pixels to
// each pixel of the layout, since only a whole number keeps the map's points
// one block each and evenly spaced; the largest at or below the system's
// scale at which the whole window, title bar and all, fits the work area of
// its monitor above the taskbar. The layout itself never changes.
#pragma once

#include "window/platform/screen.h"

namespace geodata {

// The room the rule keeps for the menu bar above the client area, whose
// height the toolkit chooses, in the layout's pixels.
inline constexpr int kMenuBarAllowancePixels = 30;

struct ScaleChoice {
  int factor = 1;
  // The window with its title bar at that factor, in device pixels.
  int window_width = 0, window_height = 0;
};

ScaleChoice ChooseScale(const platform::ScreenFacts& screen);

// The title bar the rule keeps room for, in device pixels at a scale.
int TitleBarPixels(double scale);

}  // namespace geodata

#include "window/scale_rule.h"

#include <algorithm>
#include <cmath>

#include "view/map_units.h"

namespace geodata {
namespace {

// At 100 %; the system draws both larger with its scale.
constexpr int kTitleBarPixels = 30;
constexpr int kTaskbarPixels = 48;
// A scale worked out as 1.9999999 is 2.
constexpr double kScaleSlack = 1e-6;

int AtScale(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

ScaleChoice Window(int factor, double scale) {
  return {factor, factor * ToPixels(kClientWidth),
          factor * (ToPixels(kClientHeight) + kMenuBarAllowancePixels) + TitleBarPixels(scale)};
}

}  // namespace

int TitleBarPixels(double scale) { return AtScale(kTitleBarPixels, scale); }

ScaleChoice ChooseScale(const platform::ScreenFacts& screen) {
  int usable_height = screen.work_height;
  // A work area of the whole monitor means a taskbar that hides itself and
  // then covers the bottom, or one the system does not count: keep its room.
  if (screen.work_width == screen.width && screen.work_height == screen.height) {
    usable_height -= AtScale(kTaskbarPixels, screen.scale);
  }
  const int most = std::max(1, static_cast<int>(std::floor(screen.scale + kScaleSlack)));
  for (int factor = most; factor > 1; --factor) {
    const ScaleChoice window = Window(factor, screen.scale);
    if (window.window_width <= screen.work_width && window.window_height <= usable_height) return window;
  }
  // The layout's own size, even on a screen too small for it.
  return Window(1, screen.scale);
}

}  // namespace geodata

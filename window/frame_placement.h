// Where the window's frame, title bar included, goes in the work area of its
// monitor: centred, and whole wherever it fits; where it does not, its
// top-left corner stays inside, so the title bar can still be grabbed.
#pragma once

#include "window/platform/screen.h"

namespace geodata {

struct FramePosition {
  int left = 0, top = 0;
};

// Any one unit of length: device pixels, or the toolkit's.
FramePosition PlaceFrame(const platform::Area& work, int frame_width, int frame_height);

}  // namespace geodata

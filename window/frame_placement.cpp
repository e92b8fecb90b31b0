#include "window/frame_placement.h"

#include <algorithm>

namespace geodata {

FramePosition PlaceFrame(const platform::Area& work, int frame_width, int frame_height) {
  return {work.left + std::max(0, (work.width - frame_width) / 2),
          work.top + std::max(0, (work.height - frame_height) / 2)};
}

}  // namespace geodata

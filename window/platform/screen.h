// The primary monitor as the system describes it. The toolkit's scale has to
// be chosen before the toolkit starts, so the system is asked first.
#pragma once

#include <memory>
#include <optional>

namespace geodata::platform {

// Dots per inch at a scale of 100 %.
inline constexpr int kBaseDpi = 96;

// A rectangle of the desktop, in device pixels.
struct Area {
  int left = 0, top = 0, width = 0, height = 0;
};

// The monitor the window opens on.
struct ScreenFacts {
  int width = 0, height = 0;            // device pixels
  int work_width = 0, work_height = 0;  // what the taskbar and docks leave of it
  double scale = 1;                     // the system's scale: 1.5 at 150 %
  int left = 0, top = 0;                // where they lie on the desktop
  int work_left = 0, work_top = 0;

  Area Work() const { return {work_left, work_top, work_width, work_height}; }
};

class PrimaryScreen {
 public:
  // Asks the system.
  PrimaryScreen();

  // Empty where there is no screen to ask, or none the toolkit will use.
  const std::optional<ScreenFacts>& Facts() const { return facts_; }
  // The system's scale, 1 where it is not known.
  double Scale() const { return facts_ ? facts_->scale : 1; }

 private:
  std::optional<ScreenFacts> facts_;
  // What asking opened, held while this lives: an X server that loses its
  // last client starts over, and meanwhile refuses the toolkit's connection.
  std::shared_ptr<void> held_;
};

}  // namespace geodata::platform

// Display servers a test starts for itself, stopped with their objects: an
// X server (Xvfb) to be set up as a desktop sets one up, and a Wayland
// compositor (weston) with no screen behind it. GEODATA_TEST_DISPLAYS
// ("81-84") keeps X servers to a range of display numbers.
#pragma once

#include <string>
#include <vector>

namespace geodata::testing {

// Whether the servers and the X tools that set them up are installed.
bool DisplayServersInstalled();

class XServer {
 public:
  explicit XServer(const std::string& size);  // "1920x1080", at 96 dpi
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // Shell commands run against it (xrandr, xrdb, xprop); throws where they fail.
  void Run(const std::string& commands) const;

  std::string display;  // ":81"

 private:
  int process_ = 0;
};

class WaylandCompositor {
 public:
  WaylandCompositor(const std::string& size, int scale);  // one output, its size before the scale
  ~WaylandCompositor();
  WaylandCompositor(const WaylandCompositor&) = delete;
  WaylandCompositor& operator=(const WaylandCompositor&) = delete;

  std::string runtime_dir, socket;  // XDG_RUNTIME_DIR and WAYLAND_DISPLAY for its clients

 private:
  int process_ = 0;
};

}  // namespace geodata::testing

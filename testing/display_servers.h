// Display servers of a test's own: an X server (Xvfb) whose monitors, work
// area and resources are set as a desktop sets them, and a Wayland
// compositor (weston) with no screen behind it. Each ends with its object.
// Where GEODATA_TEST_DISPLAYS names a range of X display numbers ("81-84"),
// the X server takes the first free one of it, else any free one.
#pragma once

#include <initializer_list>
#include <string>

namespace geodata::testing {

class XServer {
 public:
  // Whether the server and the tools that set it up are installed.
  static bool Available();

  // A screen of that many device pixels at 96 dots per inch.
  XServer(int width, int height);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& Display() const { return display_; }

  // A RandR monitor. The first one added takes the screen's one output,
  // without which the server keeps a monitor of the whole screen.
  void AddMonitor(int left, int top, int width, int height, bool primary);
  // What a window manager says is left by its panels, across every monitor.
  void SetWorkArea(int left, int top, int width, int height);
  // Resource lines ("Xft.dpi: 192"), as a desktop merges them at login.
  void MergeResources(const std::string& lines);

 private:
  void Run(const std::string& tool, std::initializer_list<std::string> arguments);

  int process_ = 0;
  std::string display_;
  int monitors_ = 0;
};

class WaylandCompositor {
 public:
  static bool Available();

  // One output of that size at the compositor's whole scale.
  WaylandCompositor(int width, int height, int scale);
  ~WaylandCompositor();
  WaylandCompositor(const WaylandCompositor&) = delete;
  WaylandCompositor& operator=(const WaylandCompositor&) = delete;

  // WAYLAND_DISPLAY and XDG_RUNTIME_DIR for its clients.
  const std::string& Socket() const { return socket_; }
  const std::string& RuntimeDir() const { return runtime_dir_; }

 private:
  int process_ = 0;
  std::string runtime_dir_;
  std::string socket_;
};

}  // namespace geodata::testing

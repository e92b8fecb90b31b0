#include <windows.h>
// After windows.h, which it needs.
#include <shellscalingapi.h>

#include "window/platform/screen.h"

namespace geodata::platform {
namespace {

// A process that has not said how it handles scaling sees a scaled-down
// screen. The process's own setting is the toolkit's to make, so only this
// thread asks as one that sees every pixel, and only while it asks.
class SeeingEveryPixel {
 public:
  SeeingEveryPixel() {
    before_ = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (before_ == nullptr) before_ = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  }
  ~SeeingEveryPixel() {
    if (before_ != nullptr) SetThreadDpiAwarenessContext(before_);
  }
  SeeingEveryPixel(const SeeingEveryPixel&) = delete;
  SeeingEveryPixel& operator=(const SeeingEveryPixel&) = delete;

 private:
  DPI_AWARENESS_CONTEXT before_ = nullptr;
};

}  // namespace

PrimaryScreen::PrimaryScreen() {
  const SeeingEveryPixel seeing;
  const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  UINT dpi_x = 0, dpi_y = 0;
  if (!GetMonitorInfoW(monitor, &info) || FAILED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpi_x, &dpi_y))) {
    return;
  }
  ScreenFacts screen;
  screen.width = info.rcMonitor.right - info.rcMonitor.left;
  screen.height = info.rcMonitor.bottom - info.rcMonitor.top;
  screen.work_width = info.rcWork.right - info.rcWork.left;
  screen.work_height = info.rcWork.bottom - info.rcWork.top;
  screen.left = info.rcMonitor.left;
  screen.top = info.rcMonitor.top;
  screen.work_left = info.rcWork.left;
  screen.work_top = info.rcWork.top;
  screen.scale = static_cast<double>(dpi_x) / kBaseDpi;
  facts_ = screen;
}

}  // namespace geodata::platform

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "window/platform/screen.h"

namespace geodata::platform {
namespace {

constexpr std::string_view kDpiResource = "Xft.dpi:";
constexpr std::uint32_t kResourceWords = 16'384;
// Monitors came with RandR 1.5.
constexpr std::uint32_t kRandrMajor = 1, kRandrMinor = 5;

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// Qt picks its own Wayland platform on most Wayland desktops where it is
// installed. There the window can neither be placed nor learn its screen
// before it is shown, so where the desktop runs an X server for X programs
// (XWayland) the toolkit is sent there; the user's own choice stands.
void PreferXOnWayland() {
  const char* session = std::getenv("XDG_SESSION_TYPE");
  const bool wayland = Named("WAYLAND_DISPLAY") || (session != nullptr && std::string_view(session) == "wayland");
  if (wayland && Named("DISPLAY") && !Named("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
}

// The toolkit draws through X unless it is told to use something else, or
// finds a Wayland compositor and no X server.
bool ToolkitUsesX() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || *platform == '\0') return !Named("WAYLAND_DISPLAY");
  return std::string_view(platform).starts_with("xcb");
}

Owned<xcb_get_property_reply_t> Property(xcb_connection_t* x, xcb_window_t root, xcb_atom_t name, xcb_atom_t type,
                                         std::uint32_t words) {
  return {xcb_get_property_reply(x, xcb_get_property(x, 0, root, name, type, 0, words), nullptr), &std::free};
}

xcb_atom_t Atom(xcb_connection_t* x, std::string_view name) {
  const Owned<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, static_cast<std::uint16_t>(name.size()), name.data()), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The desktop's scale is the dots per inch it asks fonts to be drawn at.
double DesktopScale(xcb_connection_t* x, xcb_window_t root) {
  const auto resources = Property(x, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, kResourceWords);
  if (!resources) return 1;
  const std::string_view text(static_cast<const char*>(xcb_get_property_value(resources.get())),
                              static_cast<std::size_t>(xcb_get_property_value_length(resources.get())));
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    if (line.starts_with(kDpiResource)) {
      const double dpi = std::strtod(std::string(line.substr(kDpiResource.size())).c_str(), nullptr);
      return dpi > 0 ? dpi / kBaseDpi : 1;
    }
    at = end + 1;
  }
  return 1;
}

// The primary monitor. Where none is primary, the one holding the desktop's
// top-left corner, else the first the server lists: the one Qt then takes
// as its primary screen, where the window opens.
Area PrimaryMonitor(xcb_connection_t* x, const xcb_screen_t& root) {
  const Area whole{0, 0, root.width_in_pixels, root.height_in_pixels};
  const xcb_query_extension_reply_t* randr = xcb_get_extension_data(x, &xcb_randr_id);
  if (randr == nullptr || randr->present == 0) return whole;
  const Owned<xcb_randr_query_version_reply_t> version(
      xcb_randr_query_version_reply(x, xcb_randr_query_version(x, kRandrMajor, kRandrMinor), nullptr), &std::free);
  if (!version || (version->major_version == kRandrMajor && version->minor_version < kRandrMinor)) return whole;
  const Owned<xcb_randr_get_monitors_reply_t> monitors(
      xcb_randr_get_monitors_reply(x, xcb_randr_get_monitors(x, root.root, 1), nullptr), &std::free);
  if (!monitors) return whole;
  std::optional<Area> first, at_corner;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem > 0;
       xcb_randr_monitor_info_next(&it)) {
    const Area monitor{it.data->x, it.data->y, it.data->width, it.data->height};
    if (it.data->primary != 0) return monitor;
    if (!first) first = monitor;
    if (!at_corner && monitor.left == 0 && monitor.top == 0) at_corner = monitor;
  }
  return at_corner.value_or(first.value_or(whole));
}

// The window manager's work area spans every monitor; its part on this one.
// Without a window manager, or one that does not say, the whole monitor.
Area WorkArea(xcb_connection_t* x, xcb_window_t root, const Area& monitor) {
  const auto area = Property(x, root, Atom(x, "_NET_WORKAREA"), XCB_ATOM_CARDINAL, 4);
  if (!area || xcb_get_property_value_length(area.get()) < 16) return monitor;
  const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(area.get()));
  const int left = std::max(monitor.left, static_cast<int>(values[0]));
  const int top = std::max(monitor.top, static_cast<int>(values[1]));
  const int right = std::min(monitor.left + monitor.width, static_cast<int>(values[0] + values[2]));
  const int bottom = std::min(monitor.top + monitor.height, static_cast<int>(values[1] + values[3]));
  if (right <= left || bottom <= top) return monitor;
  return {left, top, right - left, bottom - top};
}

}  // namespace

PrimaryScreen::PrimaryScreen() {
  PreferXOnWayland();
  if (!ToolkitUsesX()) return;
  int number = 0;
  xcb_connection_t* x = xcb_connect(nullptr, &number);
  held_.reset(x, [](void* connection) { xcb_disconnect(static_cast<xcb_connection_t*>(connection)); });
  if (xcb_connection_has_error(x) != 0) return;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
  for (int i = 0; i < number && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return;
  const xcb_screen_t& root = *screens.data;

  const Area monitor = PrimaryMonitor(x, root);
  const Area work = WorkArea(x, root.root, monitor);
  facts_ = ScreenFacts{monitor.width, monitor.height, work.width, work.height, DesktopScale(x, root.root),
                       monitor.left, monitor.top, work.left, work.top};
  // Qt takes each monitor of several whole, ignoring the work area; told
  // to, it clips the work area to each as above, so the window is placed in
  // the room its factor was chosen for.
  setenv("QT_RELY_ON_NET_WORKAREA_ATOM", "1", 1);
}

}  // namespace geodata::platform

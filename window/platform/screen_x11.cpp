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

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

// The toolkit draws through X unless it is told to use something else.
bool ToolkitUsesX() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return platform == nullptr || *platform == '\0' || std::string_view(platform).starts_with("xcb");
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

}  // namespace

PrimaryScreen::PrimaryScreen() {
  if (!ToolkitUsesX()) return;
  int number = 0;
  xcb_connection_t* x = xcb_connect(nullptr, &number);
  held_.reset(x, [](void* connection) { xcb_disconnect(static_cast<xcb_connection_t*>(connection)); });
  if (xcb_connection_has_error(x) != 0) return;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
  for (int i = 0; i < number && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return;
  const xcb_screen_t& root = *screens.data;

  ScreenFacts screen;
  screen.width = screen.work_width = root.width_in_pixels;
  screen.height = screen.work_height = root.height_in_pixels;
  // The window manager's work area; without one, the whole screen.
  const auto area = Property(x, root.root, Atom(x, "_NET_WORKAREA"), XCB_ATOM_CARDINAL, 4);
  if (area && xcb_get_property_value_length(area.get()) >= 16) {
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(area.get()));
    screen.work_width = static_cast<int>(values[2]);
    screen.work_height = static_cast<int>(values[3]);
  }
  screen.scale = DesktopScale(x, root.root);
  facts_ = screen;
}

}  // namespace geodata::platform

#include <stdexcept>

#include "testing/display_servers.h"

namespace geodata::testing {

// Windows has its own screen, which tests cannot set up.
bool DisplayServersInstalled() { return false; }
XServer::XServer(const std::string&) { throw std::logic_error("no X server on Windows"); }
XServer::~XServer() = default;
void XServer::Run(const std::string&) const {}
WaylandCompositor::WaylandCompositor(const std::string&, int) { throw std::logic_error("no Wayland on Windows"); }
WaylandCompositor::~WaylandCompositor() = default;

}  // namespace geodata::testing

#include <stdexcept>

#include "testing/display_servers.h"

namespace geodata::testing {

// Windows has its own screen, which the tests cannot set up.
bool XServer::Available() { return false; }
XServer::XServer(int, int) { throw std::logic_error("no X server on Windows"); }
XServer::~XServer() = default;
void XServer::AddMonitor(int, int, int, int, bool) {}
void XServer::SetWorkArea(int, int, int, int) {}
void XServer::MergeResources(const std::string&) {}

bool WaylandCompositor::Available() { return false; }
WaylandCompositor::WaylandCompositor(int, int, int) { throw std::logic_error("no Wayland on Windows"); }
WaylandCompositor::~WaylandCompositor() = default;

}  // namespace geodata::testing

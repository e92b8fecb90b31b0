#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "testing/display_servers.h"
#include "testing/process_probe.h"

namespace geodata::testing {
namespace {

constexpr char kXvfb[] = "Xvfb";
constexpr char kWeston[] = "weston";
constexpr char kDisplayRange[] = "GEODATA_TEST_DISPLAYS";
// How long a compositor may take to open its socket on a busy machine.
constexpr std::chrono::seconds kCompositorStart{30};
constexpr std::chrono::milliseconds kCompositorLook{10};

std::string Which(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path == nullptr ? "/usr/bin:/bin" : path);
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

// Starts a program with its output dropped and the descriptor `pass`, if
// any, as its descriptor 3; its process id, or 0.
pid_t Start(const std::string& program, const std::vector<std::string>& arguments, int pass) {
  std::vector<std::string> parts{program};
  parts.insert(parts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& part : parts) argv.push_back(part.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int output : {STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_addopen(&actions, output, "/dev/null", O_WRONLY, 0);
  }
  if (pass >= 0) posix_spawn_file_actions_adddup2(&actions, pass, 3);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? child : 0;
}

void Stop(pid_t process) {
  if (process <= 0) return;
  kill(process, SIGTERM);
  while (waitpid(process, nullptr, 0) < 0 && errno == EINTR) {
  }
}

// The display numbers to try: the range asked for, else the server's choice.
std::vector<std::optional<int>> DisplayNumbers() {
  const char* range = std::getenv(kDisplayRange);
  int first = 0, last = -1;
  char dash = 0;
  if (range == nullptr || !(std::istringstream(range) >> first >> dash >> last) || dash != '-') return {std::nullopt};
  std::vector<std::optional<int>> numbers;
  for (int number = first; number <= last; ++number) numbers.emplace_back(number);
  return numbers;
}

// Xvfb writes its display number to the descriptor once it takes clients,
// or ends without writing where the number is taken.
std::optional<std::string> StartXvfb(std::optional<int> number, int width, int height, pid_t& process) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) return std::nullopt;
  std::vector<std::string> arguments;
  if (number) arguments.push_back(std::to_string(*number).insert(0, 1, ':'));
  for (const char* argument : {"-displayfd", "3", "-noreset", "-nolisten", "tcp", "-ac", "-dpi", "96", "-screen", "0"}) {
    arguments.emplace_back(argument);
  }
  arguments.push_back(std::to_string(width) + "x" + std::to_string(height) + "x24");
  process = Start(Which(kXvfb), arguments, ready[1]);
  close(ready[1]);
  std::string display = ":";
  char c = 0;
  while (read(ready[0], &c, 1) == 1 && c != '\n') display += c;
  close(ready[0]);
  if (process != 0 && display.size() > 1) return display;
  Stop(process);
  process = 0;
  return std::nullopt;
}

}  // namespace

bool XServer::Available() {
  for (const char* tool : {kXvfb, "xrandr", "xrdb", "xprop"}) {
    if (Which(tool).empty()) return false;
  }
  return true;
}

XServer::XServer(int width, int height) {
  for (const std::optional<int>& number : DisplayNumbers()) {
    pid_t process = 0;
    if (const auto display = StartXvfb(number, width, height, process)) {
      process_ = process;
      display_ = *display;
      return;
    }
  }
  throw std::runtime_error("Xvfb did not start");
}

XServer::~XServer() { Stop(process_); }

void XServer::Run(const std::string& tool, std::initializer_list<std::string> arguments) {
  std::vector<std::string> all{"-display", display_};
  all.insert(all.end(), arguments);
  if (RunProgram(Which(tool), all) != 0) throw std::runtime_error(tool + " failed on " + display_);
}

void XServer::AddMonitor(int left, int top, int width, int height, bool primary) {
  // xrandr's geometry: width/millimetres x height/millimetres + left + top.
  const std::string geometry = std::to_string(width) + "/" + std::to_string(width / 4) + "x" + std::to_string(height) +
                               "/" + std::to_string(height / 4) + "+" + std::to_string(left) + "+" +
                               std::to_string(top);
  const std::string name = (primary ? "*monitor" : "monitor") + std::to_string(monitors_);
  Run("xrandr", {"--setmonitor", name, geometry, monitors_ == 0 ? "screen" : "none"});
  ++monitors_;
}

void XServer::SetWorkArea(int left, int top, int width, int height) {
  std::ostringstream area;
  area << left << ", " << top << ", " << width << ", " << height;
  Run("xprop", {"-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA", area.str()});
}

void XServer::MergeResources(const std::string& lines) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("geodata-resources-" + std::to_string(getpid()));
  std::ofstream(file) << lines << '\n';
  // No C preprocessor is needed for plain lines, nor always installed.
  try {
    Run("xrdb", {"-nocpp", "-merge", file.string()});
  } catch (...) {
    std::filesystem::remove(file);
    throw;
  }
  std::filesystem::remove(file);
}

bool WaylandCompositor::Available() { return !Which(kWeston).empty(); }

WaylandCompositor::WaylandCompositor(int width, int height, int scale) {
  std::string folder = (std::filesystem::temp_directory_path() / "geodata-wayland-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no runtime folder for the compositor");
  runtime_dir_ = folder;
  socket_ = "geodata-test";
  const char* before = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = before == nullptr ? "" : before;
  setenv("XDG_RUNTIME_DIR", runtime_dir_.c_str(), 1);
  process_ = Start(Which(kWeston),
                   {"--backend=headless-backend.so", "--socket=" + socket_, "--width=" + std::to_string(width),
                    "--height=" + std::to_string(height), "--scale=" + std::to_string(scale), "--idle-time=0"},
                   -1);
  if (before == nullptr) {
    unsetenv("XDG_RUNTIME_DIR");
  } else {
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  }
  // Clients can connect once the socket is there; it listens from the start.
  const auto socket = std::filesystem::path(runtime_dir_) / socket_;
  const auto give_up = std::chrono::steady_clock::now() + kCompositorStart;
  while (process_ != 0 && !std::filesystem::exists(socket) && std::chrono::steady_clock::now() < give_up) {
    if (waitpid(process_, nullptr, WNOHANG) == process_) process_ = 0;
    std::this_thread::sleep_for(kCompositorLook);
  }
  if (process_ == 0 || !std::filesystem::exists(socket)) {
    Stop(process_);
    std::filesystem::remove_all(runtime_dir_);
    throw std::runtime_error("weston did not start");
  }
}

WaylandCompositor::~WaylandCompositor() {
  Stop(process_);
  std::filesystem::remove_all(runtime_dir_);
}

}  // namespace geodata::testing

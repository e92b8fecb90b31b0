#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "testing/display_servers.h"
#include "testing/process_probe.h"

namespace geodata::testing {
namespace {

// How long weston may take to open its socket on a busy machine.
constexpr std::chrono::seconds kCompositorStart{30};
constexpr std::chrono::milliseconds kCompositorLook{10};

// A program found on the PATH, its output dropped, `pass` as its descriptor 3.
pid_t Start(std::vector<std::string> arguments, int pass = -1) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  if (pass >= 0) posix_spawn_file_actions_adddup2(&actions, pass, 3);
  pid_t child = 0;
  const bool started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started ? child : 0;
}

void Stop(pid_t process) {
  if (process > 0 && kill(process, SIGTERM) == 0) waitpid(process, nullptr, 0);
}

}  // namespace

bool DisplayServersInstalled() {
  return RunProgram("/bin/sh", {"-c", "command -v Xvfb xrandr xrdb xprop weston"}) == 0;
}

// Xvfb writes its display number to descriptor 3 once it takes clients, or
// ends without a word where the number asked for is taken.
XServer::XServer(const std::string& size) {
  int first = -1, last = -1;
  const char* range = std::getenv("GEODATA_TEST_DISPLAYS");
  if (range != nullptr) std::sscanf(range, "%d-%d", &first, &last);
  for (int number = first; number <= last; ++number) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) break;
    std::vector<std::string> arguments{"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-ac",
                                       "-dpi", "96", "-screen", "0", size + "x24"};
    char name[16] = ":";
    std::snprintf(name, sizeof name, ":%d", number);
    if (number >= 0) arguments.insert(arguments.begin() + 1, name);
    process_ = Start(arguments, ready[1]);
    close(ready[1]);
    std::size_t length = 1;
    while (length + 1 < sizeof name && read(ready[0], name + length, 1) == 1 && name[length] != '\n') ++length;
    name[length] = '\0';
    close(ready[0]);
    display = name;
    if (process_ != 0 && length > 1) return;
    Stop(process_);
  }
  throw std::runtime_error("Xvfb did not start");
}

XServer::~XServer() { Stop(process_); }

void XServer::Run(const std::string& commands) const {
  if (RunProgram("/usr/bin/env", {"DISPLAY=" + display, "/bin/sh", "-ec", commands}) != 0) {
    throw std::runtime_error("failed on " + display + ": " + commands);
  }
}

WaylandCompositor::WaylandCompositor(const std::string& size, int scale) : socket("geodata-test") {
  std::string folder = (std::filesystem::temp_directory_path() / "geodata-wayland-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no runtime folder for weston");
  runtime_dir = folder;
  const std::string width = size.substr(0, size.find('x')), height = size.substr(size.find('x') + 1);
  process_ = Start({"env", "XDG_RUNTIME_DIR=" + runtime_dir, "weston", "--backend=headless-backend.so",
                    "--socket=" + socket, "--width=" + width, "--height=" + height,
                    "--scale=" + std::to_string(scale), "--idle-time=0"});
  // Clients may connect once the socket is there: it listens from the start.
  const auto give_up = std::chrono::steady_clock::now() + kCompositorStart;
  while (!std::filesystem::exists(std::filesystem::path(runtime_dir) / socket)) {
    if (process_ == 0 || waitpid(process_, nullptr, WNOHANG) != 0 || std::chrono::steady_clock::now() > give_up) {
      Stop(process_);
      std::filesystem::remove_all(runtime_dir);
      throw std::runtime_error("weston did not start");
    }
    std::this_thread::sleep_for(kCompositorLook);
  }
}

WaylandCompositor::~WaylandCompositor() {
  Stop(process_);
  std::filesystem::remove_all(runtime_dir);
}

}  // namespace geodata::testing

// The real window: painting through the Qt map adaptor, open->painted through
// the open command with a stand-in dialog, one readout through the Qt text
// adaptor, and start-up against a minimal Qt window (child processes).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "testing/path_dialog.h"
#include "testing/test_regions.h"
#include "window/application_setup.h"
#include "window/main_window.h"

extern char** environ;

namespace geodata::bench {
namespace {

using testing::BenchRegion;
using testing::kBenchRegions;

// A window as the program shows it, with a stand-in dialog.
struct ShownWindow {
  std::shared_ptr<DialogRecord> chooser = std::make_shared<DialogRecord>();
  Form1 form{std::make_unique<PathDialog>(chooser)};
  ShownWindow() {
    form.show();
    QApplication::processEvents();
  }
  // The open command, then whatever it left for the event loop to paint.
  void OpenAndPaint(const std::string& file) {
    chooser->answer = file;
    form.OpenGeo_Click();
    QApplication::processEvents();
  }
};

void DrawQt(benchmark::State& state, std::string file) {
  ShownWindow window;
  window.OpenAndPaint(file);
  for (auto _ : state) window.form.Draw_Geodata();
}

void OpenPainted(benchmark::State& state, std::string file) {
  ShownWindow window;
  window.OpenAndPaint(file);
  for (auto _ : state) window.OpenAndPaint(file);
}

void OpenPaintedFirst(benchmark::State& state, std::string file) {
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<ShownWindow>();
    state.ResumeTiming();
    window->OpenAndPaint(file);
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}

void ReadoutQt(benchmark::State& state, std::string file, bool paint) {
  ShownWindow window;
  window.OpenAndPaint(file);
  float x = 0;
  for (auto _ : state) {
    window.form.Map_MouseMove(0, 0, x, 3000.0F);
    if (paint) QApplication::processEvents();
    x = x < 7000.0F ? x + 7.0F : 0.0F;
  }
}

// Start-up to first shown window: the child prints the monotonic clock when
// its window has painted; the time counts from just before the spawn.
void Startup(benchmark::State& state, std::vector<std::string> command) {
  std::vector<char*> argv;
  for (std::string& part : command) argv.push_back(part.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) throw std::runtime_error("cannot start " + command[0]);
    std::string text(64, '\0');
    const ssize_t got = read(out[0], text.data(), text.size() - 1);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError(("no start-up time from " + command[0]).c_str());
      break;
    }
    const double shown = std::stod(text);
    state.SetIterationTime(shown - static_cast<double>(start.tv_sec) - start.tv_nsec * 1e-9);
  }
}

void RegisterAll(const std::filesystem::path& programs) {
  const auto folder = BenchDataFolder();
  for (BenchRegion region : kBenchRegions) {
    const std::string path = BenchRegionFile(region, folder).string();
    const std::string name(Name(region));
    benchmark::RegisterBenchmark(("draw_qt/" + name).c_str(), &DrawQt, path)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("open_painted/" + name).c_str(), &OpenPainted, path)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("open_painted_first/" + name).c_str(), &OpenPaintedFirst, path)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  const std::string mixed = BenchRegionFile(BenchRegion::kMixed, folder).string();
  benchmark::RegisterBenchmark("readout_qt", &ReadoutQt, mixed, false)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("readout_qt_painted", &ReadoutQt, mixed, true)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime();

  // The minimal window gets the viewer's size.
  ShownWindow window;
  benchmark::RegisterBenchmark("startup/viewer", &Startup,
                               std::vector<std::string>{(programs / "geodata_startup_viewer").string()})
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(20);
  for (const char* variant : {"", "menu"}) {
    benchmark::RegisterBenchmark(
        *variant != 0 ? "startup/minimal_menu" : "startup/minimal", &Startup,
        std::vector<std::string>{(programs / "geodata_startup_minimal").string(),
                                 std::to_string(window.form.width()),
                                 std::to_string(window.form.height()), variant})
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(20);
  }
}

}  // namespace
}  // namespace geodata::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  const auto programs = std::filesystem::canonical("/proc/self/exe").parent_path();
  geodata::bench::RegisterAll(programs);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

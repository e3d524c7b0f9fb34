// CPU time that an idle Game uses per second of wall time: the built program on a script without
// instructions (it stays up and runs empty frames), measured from outside through the kernel's
// per-thread run times. Two baselines run alike: a sleeping process (what being alive costs)
// and a thread that only wakes 60 times a second (the least any loop at the game's frame rate
// costs on this machine, where a wake-up's price depends on the kernel and the hypervisor).
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <signal.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/program/game_folder.h"
#include "tests/program/process_runner.h"

namespace {

constexpr const char* kIdleScript = "; nothing to run\n";
constexpr auto kSample = std::chrono::seconds(2);

// What the kernel counts for a thread: its run time and how many times it was put on a CPU,
// which for a thread that sleeps between short bursts is the number of its wake-ups.
struct RunTime {
  uint64_t ns = 0;
  uint64_t wakes = 0;
  RunTime& operator+=(const RunTime& other) {
    ns += other.ns;
    wakes += other.wakes;
    return *this;
  }
};

RunTime ThreadRunTime(const std::string& schedstat) {
  std::ifstream stat(schedstat);
  RunTime run;
  uint64_t waiting_ns = 0;
  stat >> run.ns >> waiting_ns >> run.wakes;
  return run;
}

// Summed over every live thread of `pid`.
RunTime ProcessRunTime(int pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  RunTime total;
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return total;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') total += ThreadRunTime(tasks + "/" + entry->d_name + "/schedstat");
  }
  closedir(dir);
  return total;
}

bool WaitForFile(const std::filesystem::path& path, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!std::filesystem::exists(path)) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Samples `run_time` over kSample per iteration and reports the share of one core in percent
// and the wake-ups per second.
template <typename Sample>
void MeasureIdle(benchmark::State& state, Sample run_time) {
  double cpu_ns = 0, wakes = 0, wall_ns = 0;
  for (auto _ : state) {
    const RunTime before = run_time();
    const auto wall_before = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kSample);
    const RunTime after = run_time();
    const std::chrono::duration<double, std::nano> wall =
        std::chrono::steady_clock::now() - wall_before;
    cpu_ns += static_cast<double>(after.ns - before.ns);
    wakes += static_cast<double>(after.wakes - before.wakes);
    wall_ns += wall.count();
    state.SetIterationTime(wall.count() / 1e9);
  }
  state.counters["cpu_percent_of_a_core"] = wall_ns > 0 ? 100.0 * cpu_ns / wall_ns : 0;
  state.counters["wakes_per_second"] = wall_ns > 0 ? wakes * 1e9 / wall_ns : 0;
}

void BM_IdleGame(benchmark::State& state) {
  test::GameFolder game(kIdleScript);
  test::Process process = game.Start({"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
  // The game writes "system.dat" in its first frame; a second more lets start-up settle.
  if (!WaitForFile(game.SaveFolder() / "system.dat", std::chrono::seconds(15))) {
    state.SkipWithError(("Game did not start: " + process.Stderr()).c_str());
    return;
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  MeasureIdle(state, [&] { return ProcessRunTime(process.pid()); });
  process.Signal(SIGTERM);
  if (process.Wait(10000) != 0) state.SkipWithError("Game did not end cleanly");
}
BENCHMARK(BM_IdleGame)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SleepingProcess(benchmark::State& state) {
  test::Process process = test::Process::Start({"sleep", "60"});
  std::this_thread::sleep_for(std::chrono::seconds(1));  // past the start of the program
  MeasureIdle(state, [&] { return ProcessRunTime(process.pid()); });
  process.Signal(SIGTERM);
  process.Wait(10000);
}
BENCHMARK(BM_SleepingProcess)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ThreadWaking60TimesASecond(benchmark::State& state) {
  std::atomic<bool> stop{false};
  std::atomic<long> tid{0};
  std::thread pacer([&] {
    tid = syscall(SYS_gettid);
    while (!stop.load()) std::this_thread::sleep_for(std::chrono::microseconds(16667));
  });
  while (tid.load() == 0) std::this_thread::yield();
  const std::string schedstat = "/proc/self/task/" + std::to_string(tid.load()) + "/schedstat";
  MeasureIdle(state, [&] { return ThreadRunTime(schedstat); });
  stop = true;
  pacer.join();
}
BENCHMARK(BM_ThreadWaking60TimesASecond)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
